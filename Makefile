# Set-up, build and test in one step each. BUILD_DIR and PRESET may be overridden.
PRESET ?= default
BUILD_DIR ?= build/$(PRESET)
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test wm-test asan coverage fuzz install bench clean format format-check

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

# The desktop program's windows under a real window manager (openbox on an Xvfb of its own),
# with the program that `make test` built.
wm-test:
	@./tests/wm/placement-test $(BUILD_DIR)/src/app/kestrel

asan:
	@$(MAKE) --no-print-directory test PRESET=asan

# The tests in a gcc build with --coverage (the desktop program included), then the share of
# lines they ran in each library. The counts of an earlier run are cleared first.
COVERAGE_BUILD := build/coverage
coverage:
	@./scripts/install-deps --coverage
	@cmake --preset coverage >/dev/null
	@cmake --build $(COVERAGE_BUILD) -j $(JOBS)
	@find $(COVERAGE_BUILD) -name '*.gcda' -delete
	@cd $(COVERAGE_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)
	@./scripts/coverage-report $(COVERAGE_BUILD)

# Installs the programs, the desktop entry, the icon and the file types under PREFIX.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Every fuzz target for SECONDS seconds on its seed inputs (clang, sanitizers); fails on any
# finding, whose input is left under build/fuzz/findings.
SECONDS ?= 60
fuzz:
	@./scripts/install-deps --fuzz
	@cmake --preset fuzz >/dev/null
	@cmake --build build/fuzz -j $(JOBS) --target fuzz-targets
	@./scripts/run-fuzz build/fuzz $(SECONDS) $(JOBS)

# The benchmark report, from an optimised build of its own over large generated dumps. The inputs
# are written once, and again only when their generator has changed.
BENCH_BUILD := build/release
BENCH_DATA := $(BENCH_BUILD)/bench-data
BENCH_RUNS ?= 5

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target make-dumps kestrel-bench
	@generator="$$(md5sum < $(BENCH_BUILD)/bench/make-dumps)"; \
	if [ "$$(cat $(BENCH_DATA)/generator.md5 2>/dev/null)" != "$$generator" ]; then \
	  echo "Writing the benchmark inputs into $(BENCH_DATA)"; \
	  $(BENCH_BUILD)/bench/make-dumps $(BENCH_DATA) >/dev/null && \
	  echo "$$generator" > $(BENCH_DATA)/generator.md5; \
	fi
	@$(BENCH_BUILD)/bench/kestrel-bench $(BENCH_DATA) --runs $(BENCH_RUNS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails, naming the files, when any tracked C++ file is not laid out as clang-format lays it.
format-check:
	@./scripts/check-format

clean:
	rm -rf build
