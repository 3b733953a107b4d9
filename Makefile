# Set-up, build and test in one step each. BUILD_DIR and PRESET may be overridden.
PRESET ?= default
BUILD_DIR ?= build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test asan clean format

deps:
	@./scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/app/kestrel

test: build
	@cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

asan:
	@$(MAKE) --no-print-directory test PRESET=asan

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
