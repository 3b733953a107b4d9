#include "core/WindowPlacement.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/IniFile.h"

namespace kestrel {
namespace {

constexpr ScreenMetrics kFullHd{1920, 1080, 96};
const std::vector<WindowRect> kFullHdArea{{0, 0, 1920, 1040}};

// A window that stands where it is told to, as a platform window would.
class FakeWindow : public PlacedWindow {
 public:
  FramePlacement state{0, ShowState::Normal, {}, {}, {293, 203, 994, 769}};
  ScreenMetrics metrics = kFullHd;
  std::vector<WindowRect> areas = kFullHdArea;
  int placements = 0;
  bool applicationMinimized = false;

  FramePlacement placement() const override { return state; }
  ScreenMetrics screen() const override { return metrics; }
  std::vector<WindowRect> visibleAreas() const override { return areas; }
  void setPlacement(const FramePlacement& placement) override {
    ++placements;
    const ShowState show = state.show;
    state = placement;
    state.show = show;
  }
  void setShowState(ShowState show) override { state.show = show; }
  void minimizeApplication() override { applicationMinimized = true; }
};

// A main window's store that keeps one text, the way the open dialog's file name is kept.
struct MainStore {
  std::string fileName;
  WindowPlacement placement = WindowPlacement::mainWindow();
  MainStore() {
    placement.keepText(
        "OpenPM_FileName", [this] { return fileName; },
        [this](const std::string& v) { fileName = v; });
  }
};

// The settings as they are written to and read back from the file.
IniFile throughText(const IniFile& ini) {
  return IniFile::parse(ini.text());
}

bool grabbable(const WindowRect& r, const std::vector<WindowRect>& areas) {
  for (const WindowRect& a : areas) {
    if (r.width() > 0 && r.height() > 0 && r.width() <= a.width() && r.height() <= a.height() &&
        r.top >= a.top && r.top < a.bottom && r.left < a.right && r.right > a.left)
      return true;
  }
  return false;
}

TEST(IniFile, KeepsEveryLineAndTheSpellingAndOrderOfKeys) {
  const std::string text =
      "; written by hand\n"
      "[Other]\n"
      "Zeta=1\n"
      "alpha = two words \n"
      "no value here\n"
      "\n"
      "[TMainForm]\n"
      "NormPos(800x600)=1,2,3,4\n"
      "FormVersion=0\n";
  IniFile ini = IniFile::parse(text);
  EXPECT_EQ(ini.text(), text);
  EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"Other", "TMainForm"}));
  EXPECT_EQ(ini.keyNames("other"), (std::vector<std::string>{"Zeta", "alpha"}));
  EXPECT_EQ(ini.value("OTHER", "ALPHA"), "two words");
  EXPECT_EQ(ini.value("TMainForm", "normpos(800X600)"), "1,2,3,4");
  EXPECT_EQ(ini.value("TMainForm", "NormPos"), std::nullopt);
  EXPECT_EQ(ini.value("Missing", "Zeta"), std::nullopt);

  // A changed key stays where it was; a new one follows the section's last key, before the
  // blank line; a new section goes to the end.
  ini.set("other", "ZETA", "9");
  ini.set("Other", "New", "x\r\ny");
  ini.set("TMainForm", "FormVersion", 0);
  ini.set("TReadForm", "MinMaxPos", "-1,-1,-1,-1");
  EXPECT_EQ(ini.text(),
            "; written by hand\n"
            "[Other]\n"
            "Zeta=9\n"
            "alpha = two words \n"
            "no value here\n"
            "New=x\n"
            "\n"
            "[TMainForm]\n"
            "NormPos(800x600)=1,2,3,4\n"
            "FormVersion=0\n"
            "[TReadForm]\n"
            "MinMaxPos=-1,-1,-1,-1\n");
}

TEST(IniFile, ReadsDamagedTextAsFarAsItGoes) {
  // Windows line ends, a header without "]", a key before any section, repeated sections.
  const IniFile ini =
      IniFile::parse("Lost=1\r\n[A\r\n[S]\r\nk=1\r\n[s]\r\nk=2\r\nm=3\r\n=4\r\n\xff\xfe=\x01");
  EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"S", "s"}));
  EXPECT_EQ(ini.value("S", "k"), "1");
  EXPECT_EQ(ini.value("S", "m"), std::nullopt);
  EXPECT_EQ(ini.value("s", "\xff\xfe"), std::nullopt);

  struct Case {
    const char* text;
    int expected;
  };
  const Case numbers[] = {{"96", 96},
                          {" -7 ", -7},
                          {"+5", 5},
                          {"96 dpi", 96},
                          {"abc", 0},
                          {"", 0},
                          {"2147483647", 2147483647},
                          {"2147483648", 0},
                          {"-99999999999", 0},
                          {"--1", 0}};
  for (const Case& c : numbers) {
    IniFile n;
    n.set("S", "N", c.text);
    EXPECT_EQ(throughText(n).integer("S", "N", 42), c.expected) << c.text;
  }
  EXPECT_EQ(IniFile().integer("S", "N", 42), 42);
}

TEST(WindowPlacement, WritesItsKeysInOrderAndSpelling) {
  MainStore store;
  store.fileName = "  /home/u/phone dump.pm \t";
  FakeWindow window;
  window.state = {0, ShowState::Maximized, {}, {0, 0}, {100, 50, 900, 650}};
  IniFile ini;
  store.placement.save(ini, window);
  EXPECT_EQ(ini.text(),
            "[TMainForm]\n"
            "FormVersion=0\n"
            "Flags=0\n"
            "ShowCmd=3\n"
            "PixelsPerInch=96\n"
            "MinMaxPos(1920x1080)=-1,-1,0,0\n"
            "MinMaxPos=-1,-1,0,0\n"
            "NormPos(1920x1080)=100,50,900,650\n"
            "NormPos=100,50,900,650\n"
            "OpenPM_FileName=/home/u/phone dump.pm\n");
}

TEST(WindowPlacement, ComesBackAsItWasSaved) {
  struct Case {
    WindowRole role;
    FramePlacement saved;
    ShowState shown;  // the show state after restoring
    bool applicationMinimized;
    int storedFlags;
  };
  const Case cases[] = {
      {WindowRole::Main,
       {0, ShowState::Normal, {}, {}, {10, 20, 810, 620}},
       ShowState::Normal,
       false,
       0},
      {WindowRole::Main,
       {0, ShowState::Maximized, {}, {-8, -8}, {-100, 5, 700, 505}},
       ShowState::Maximized,
       false,
       0},
      {WindowRole::Main,
       {2, ShowState::Minimized, {-32000, -32000}, {}, {1, 2, 1001, 702}},
       ShowState::Normal,
       true,
       2},
      {WindowRole::Document,
       {0, ShowState::Normal, {}, {}, {30, 40, 530, 440}},
       ShowState::Normal,
       false,
       0},
      {WindowRole::Document,
       {0, ShowState::Minimized, {0, 500}, {}, {30, 40, 530, 440}},
       ShowState::Minimized,
       false,
       1},
      {WindowRole::Document,
       {0, ShowState::Maximized, {}, {0, 0}, {5, 6, 700, 500}},
       ShowState::Maximized,
       false,
       0},
  };
  for (const Case& c : cases) {
    const WindowPlacement placement = c.role == WindowRole::Main
                                          ? WindowPlacement::mainWindow()
                                          : WindowPlacement::documentWindow();
    FakeWindow before;
    before.state = c.saved;
    IniFile ini;
    placement.save(ini, before);
    EXPECT_EQ(ini.integer(placement.section(), "Flags", -1), c.storedFlags);

    FakeWindow after;
    placement.restore(throughText(ini), after);
    EXPECT_EQ(after.state.normal, c.saved.normal) << static_cast<int>(c.saved.show);
    EXPECT_EQ(after.state.minimizedPosition, c.saved.minimizedPosition);
    EXPECT_EQ(after.state.maximizedPosition, c.saved.maximizedPosition);
    EXPECT_EQ(after.state.show, c.shown);
    EXPECT_EQ(after.applicationMinimized, c.applicationMinimized);
  }
}

TEST(WindowPlacement, FirstRunLeavesThePositionAndChoosesTheRolesState) {
  for (const WindowPlacement& placement :
       {WindowPlacement::mainWindow(), WindowPlacement::documentWindow()}) {
    FakeWindow window;
    const FramePlacement designed = window.state;
    placement.restore(IniFile(), window);
    EXPECT_EQ(window.placements, 0);
    EXPECT_EQ(window.state.normal, designed.normal);
    EXPECT_EQ(window.state.show,
              placement.role() == WindowRole::Main ? ShowState::Maximized : ShowState::Normal);
  }
  // An absent text leaves what the window had.
  MainStore store;
  store.fileName = "kept.pm";
  FakeWindow window;
  store.placement.restore(IniFile(), window);
  EXPECT_EQ(store.fileName, "kept.pm");
}

TEST(WindowPlacement, AnotherScreenSizeUsesThePlainKey) {
  const IniFile ini = IniFile::parse(
      "[TMainForm]\nShowCmd=1\nPixelsPerInch=96\n"
      "NormPos(1920x1080)=100,100,900,700\nNormPos=200,150,700,550\n");
  const WindowPlacement placement = WindowPlacement::mainWindow();

  FakeWindow same;
  placement.restore(ini, same);
  EXPECT_EQ(same.state.normal, (WindowRect{100, 100, 900, 700}));

  FakeWindow other;
  other.metrics = {1280, 1024, 96};
  other.areas = {{0, 0, 1280, 1024}};
  placement.restore(ini, other);
  EXPECT_EQ(other.state.normal, (WindowRect{200, 150, 700, 550}));
  EXPECT_EQ(other.state.show, ShowState::Normal);
}

TEST(WindowPlacement, AnotherPixelsPerInchKeepsOnlyTheShowState) {
  FakeWindow before;
  before.state = {0, ShowState::Normal, {}, {}, {10, 10, 400, 300}};
  before.metrics.pixelsPerInch = 120;
  IniFile ini;
  WindowPlacement::documentWindow().save(ini, before);
  ini.set("TReadForm", "ShowCmd", 3);

  FakeWindow after;
  WindowPlacement::documentWindow().restore(throughText(ini), after);
  EXPECT_EQ(after.placements, 0);
  EXPECT_EQ(after.state.normal, (WindowRect{293, 203, 994, 769}));
  EXPECT_EQ(after.state.show, ShowState::Maximized);
}

TEST(WindowPlacement, ShowStateTable) {
  struct Case {
    const char* showCmd;  // null: no key
    ShowState main;
    bool mainMinimizesApplication;
    ShowState document;
  };
  const Case cases[] = {
      {nullptr, ShowState::Maximized, false, ShowState::Normal},
      {"0", ShowState::Maximized, false, ShowState::Normal},
      {"1", ShowState::Normal, false, ShowState::Normal},
      {"2", ShowState::Normal, true, ShowState::Minimized},
      {"3", ShowState::Maximized, false, ShowState::Maximized},
      {"4", ShowState::Maximized, false, ShowState::Normal},
      {"5", ShowState::Normal, false, ShowState::Normal},
      {"6", ShowState::Normal, true, ShowState::Minimized},
      {"7", ShowState::Normal, true, ShowState::Minimized},
      {"8", ShowState::Maximized, false, ShowState::Normal},
      {"9", ShowState::Normal, false, ShowState::Normal},
      {"10", ShowState::Maximized, false, ShowState::Normal},
      {"-1", ShowState::Maximized, false, ShowState::Normal},
      {"max", ShowState::Maximized, false, ShowState::Normal},
  };
  for (const Case& c : cases) {
    for (const WindowPlacement& placement :
         {WindowPlacement::mainWindow(), WindowPlacement::documentWindow()}) {
      IniFile ini;
      ini.set(placement.section(), "FormVersion", 0);
      if (c.showCmd) ini.set(placement.section(), "ShowCmd", c.showCmd);
      FakeWindow window;
      placement.restore(ini, window);
      const bool main = placement.role() == WindowRole::Main;
      EXPECT_EQ(window.state.show, main ? c.main : c.document)
          << (c.showCmd ? c.showCmd : "absent") << " main " << main;
      EXPECT_EQ(window.applicationMinimized, main && c.mainMinimizesApplication)
          << (c.showCmd ? c.showCmd : "absent");
    }
  }
}

TEST(WindowPlacement, DocumentsShareOneSectionThatHoldsTheLastClosed) {
  const WindowPlacement placement = WindowPlacement::documentWindow();
  std::string file;
  for (const WindowRect r : {WindowRect{0, 0, 300, 200}, WindowRect{40, 60, 640, 460}}) {
    FakeWindow closing;
    closing.state.normal = r;
    IniFile ini = IniFile::parse(file);
    placement.save(ini, closing);
    file = ini.text();
  }
  const IniFile ini = IniFile::parse(file);
  EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"TReadForm"}));
  EXPECT_EQ(ini.keyNames("TReadForm").size(), 8u);
  FakeWindow opened;
  placement.restore(ini, opened);
  EXPECT_EQ(opened.state.normal, (WindowRect{40, 60, 640, 460}));
}

TEST(WindowPlacement, DamagedNumbersRestoreWhatTheyCanAndKeepTheFrameReachable) {
  struct Case {
    const char* normPos;
    std::optional<WindowRect> expected;  // nothing: only reachability is asked
  };
  const Case cases[] = {
      // Missing numbers are the window's current ones.
      {"10,20", WindowRect{10, 20, 994, 769}},
      {"10,20,x,40", WindowRect{10, 20, 994, 769}},
      {"", WindowRect{293, 203, 994, 769}},
      {"garbage", WindowRect{293, 203, 994, 769}},
      {"99999999999,0,10,10", WindowRect{293, 203, 994, 769}},
      // Upside down: the current size at the stored corner.
      {"500,400,100,100", WindowRect{500, 400, 1201, 966}},
      {"-5000,-5000,-4000,-4200", WindowRect{0, 0, 1000, 800}},
      {"5000,3000,5400,3300", WindowRect{1520, 740, 1920, 1040}},
      {"0,0,1000000,1000000", WindowRect{0, 0, 1920, 1040}},
      {"-2147483648,-2147483648,2147483647,2147483647", std::nullopt},
      {"2147483647,2147483647,-2147483648,-2147483648", std::nullopt},
      {"1900,1030,1950,1100", std::nullopt},
      {"-40,100,10,300", std::nullopt},
  };
  for (const Case& c : cases) {
    IniFile ini;
    ini.set("TMainForm", "NormPos", c.normPos);
    ini.set("TMainForm", "MinMaxPos", "1,2,3");
    FakeWindow window;
    WindowPlacement::mainWindow().restore(ini, window);
    EXPECT_TRUE(grabbable(window.state.normal, window.areas)) << c.normPos;
    if (c.expected) {
      EXPECT_EQ(window.state.normal, *c.expected) << c.normPos;
    }
    EXPECT_EQ(window.state.minimizedPosition, (WindowPoint{1, 2}));
    EXPECT_EQ(window.state.maximizedPosition, (WindowPoint{3, -1}));
  }
}

TEST(WindowPlacement, AFrameOnASecondScreenStaysThere) {
  const std::vector<WindowRect> twoScreens{{0, 0, 1920, 1040}, {-1280, 0, 0, 1024}};
  // Mostly on the left screen, partly on both, and on no screen (moved to the nearest).
  EXPECT_EQ(keepReachable({-1000, 100, -200, 700}, {}, twoScreens),
            (WindowRect{-1000, 100, -200, 700}));
  EXPECT_EQ(keepReachable({-300, 100, 500, 700}, {}, twoScreens),
            (WindowRect{-300, 100, 500, 700}));
  EXPECT_EQ(keepReachable({-3000, 100, -2200, 700}, {}, twoScreens),
            (WindowRect{-1280, 100, -480, 700}));
  // No known area: nothing to keep to but a size.
  EXPECT_EQ(keepReachable({-3000, 100, -3100, 700}, {0, 0, 50, 50}, {}),
            (WindowRect{-3000, 100, -2950, 700}));
}

TEST(WindowPlacement, AnyFileTextRestoresWithoutHarm) {
  std::mt19937 random(7);
  const std::string alphabet = "[]=,-0123456789x()\r\n TMainFormNormPosMinMaxShowCmdPixelsPerInch";
  for (int round = 0; round < 2000; ++round) {
    std::string text = "[TMainForm]\n";
    const int length = static_cast<int>(random() % 200);
    for (int i = 0; i < length; ++i)
      text += round % 2 ? static_cast<char>(random() % 256) : alphabet[random() % alphabet.size()];
    MainStore store;
    FakeWindow window;
    store.placement.restore(IniFile::parse(text), window);
    ASSERT_TRUE(grabbable(window.state.normal, window.areas)) << text;
    IniFile rewritten = IniFile::parse(text);
    store.placement.save(rewritten, window);
    FakeWindow again;
    store.placement.restore(IniFile::parse(rewritten.text()), again);
    ASSERT_EQ(again.state.normal, window.state.normal) << text;
  }
}

TEST(WindowPlacement, ANegativeFormVersionAppliesNothing) {
  IniFile ini;
  ini.set("TMainForm", "FormVersion", -1);
  ini.set("TMainForm", "ShowCmd", 1);
  ini.set("TMainForm", "NormPos", "1,1,100,100");
  FakeWindow window;
  WindowPlacement::mainWindow().restore(ini, window);
  EXPECT_EQ(window.placements, 0);
  EXPECT_EQ(window.state.show, ShowState::Normal);
}

TEST(CascadePosition, StepsDownRightAndWrapsWhereTheWindowWouldLeaveTheArea) {
  const WindowRect area{0, 0, 1000, 700};
  struct Case {
    const char* name;
    WindowRect last;
    long long width, height;
    WindowPoint expected;
  };
  const Case cases[] = {
      {"a step down and right", {10, 20, 510, 313}, 500, 293, {34, 44}},
      {"the right edge reached exactly", {476, 0, 976, 293}, 500, 293, {500, 24}},
      {"past the right edge", {477, 0, 977, 293}, 500, 293, {0, 0}},
      {"past the bottom edge", {0, 384, 500, 677}, 500, 293, {0, 0}},
      {"larger than the area", {0, 0, 1200, 800}, 1200, 800, {0, 0}},
      {"the last one moved above the area", {100, -200, 600, 93}, 500, 293, {0, 0}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cascadePosition(c.last, c.width, c.height, area, 24), c.expected) << c.name;
  // An area that does not start at the origin wraps to its own corner.
  EXPECT_EQ(cascadePosition({900, 900, 1400, 1193}, 500, 293, {50, 60, 1050, 760}, 24),
            (WindowPoint{50, 60}));
}

}  // namespace
}  // namespace kestrel
