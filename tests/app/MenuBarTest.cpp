// The menu bar as the user sees it, in each state of the frame: menus in order, each item's
// caption, shortcut and enabled state, separators and submenus. A hidden item and an absent
// one look the same to the user, so only what is shown is listed.

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

#include "BlockExplorerWindow.h"
#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "support/PmBuilder.h"

using kestrel::app::MainWindow;
using kestrel::test::PmBuilder;

namespace {

// A caption as the user reads it: the '&' that marks the Alt letter is not shown, "&&" shows one.
QString visibleText(const QString& caption) {
  QString text;
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    text += caption[i];
  }
  return text;
}

QString itemLine(const QAction* action) {
  QString line = visibleText(action->text());
  QStringList keys;
  for (const QKeySequence& key : action->shortcuts())
    keys << key.toString(QKeySequence::PortableText);
  if (!keys.isEmpty()) line += QStringLiteral(" [") + keys.join(QStringLiteral(", ")) + ']';
  if (!action->isEnabled()) line += QStringLiteral(" (disabled)");
  return line;
}

void dumpMenu(const QMenu& menu, const QString& indent, QStringList& out) {
  for (const QAction* action : menu.actions()) {
    if (!action->isVisible()) continue;
    if (action->isSeparator()) {
      out << indent + QStringLiteral("----");
      continue;
    }
    out << indent + itemLine(action) + (action->menu() != nullptr ? QStringLiteral(" >") : "");
    // A submenu filled as it opens (the recent files) is listed by its state alone.
    if (action->menu() != nullptr && action->menu()->objectName() != "recentFiles")
      dumpMenu(*action->menu(), indent + QStringLiteral("  "), out);
  }
}

QString dumpMenuBar(MainWindow& frame) {
  QStringList out;
  for (const QAction* action : frame.menuBar()->actions()) {
    if (!action->isVisible()) continue;
    out << itemLine(action);
    if (action->menu() != nullptr) dumpMenu(*action->menu(), QStringLiteral("  "), out);
  }
  return out.join('\n') + '\n';
}

const char* const kNoDocument = R"(Файл
  Открыть PM [Ctrl+O]
  Открыть GDFS
  Открыть EEPROM
  Открыть VCF
  Открыть папку…
  Последние файлы (disabled) >
  Найти во всех документах [Ctrl+Shift+F]
  ----
  Выход
Настройки (disabled)
About
)";

const char* const kDocument = R"(Файл
  Открыть PM [Ctrl+O]
  Открыть GDFS
  Открыть EEPROM
  Открыть VCF
  Открыть папку…
  Последние файлы (disabled) >
  Найти во всех документах [Ctrl+Shift+F]
  ----
  Экспорт в Excel
  Сохранить [Ctrl+S]
  Печать [Ctrl+P]
  Сведения о файле
  ----
  Выход
Вид
  Горизонтальный
  Вертикальный
  Каскад
  Подогнать столбцы
Настройки (disabled)
Редактирование
  Обозреватель блоков
  Сохранение PM
About
)";

const char* const kUnreadCards = R"(Файл
  Открыть PM [Ctrl+O]
  Открыть GDFS
  Открыть EEPROM
  Открыть VCF
  Открыть папку…
  Последние файлы >
  Найти во всех документах [Ctrl+Shift+F]
  ----
  Экспорт в Excel
  Сохранить [Ctrl+S] (disabled)
  Печать [Ctrl+P]
  Сведения о файле
  ----
  Выход
Вид
  Горизонтальный
  Вертикальный
  Каскад
  Подогнать столбцы
Настройки (disabled)
Редактирование
  Обозреватель блоков
  Сохранение PM
About
)";

const char* const kExplorer = R"(Файл
  Открыть PM [Ctrl+O]
  Открыть GDFS
  Открыть EEPROM (disabled)
  Открыть папку…
  Последние файлы >
  Найти во всех документах [Ctrl+Shift+F]
  ----
  Экспорт в Excel
  Печать (disabled)
  ----
  Выход
Вид
  Горизонтальный
  Вертикальный
  Каскад
Настройки (disabled)
About
)";

}  // namespace

// Compares the menu bar with its expected text; a mismatch prints both, readable.
#define COMPARE_MENU_BAR(actual, expected)                                                        \
  do {                                                                                            \
    const QString shown = (actual);                                                               \
    const QString wanted = (expected);                                                            \
    QVERIFY2(shown == wanted,                                                                     \
             qPrintable(QStringLiteral("\n--- shown:\n%1--- expected:\n%2").arg(shown, wanted))); \
  } while (false)

class MenuBarTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  static void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }

 private slots:
  void menuBarFollowsTheActiveWindow() {
    MainWindow frame(services());
    frame.show();
    COMPARE_MENU_BAR(dumpMenuBar(frame), QString::fromUtf8(kNoDocument));

    files.openAnswers = {
        {QString::fromStdString(dir.write("phone.pm", PmBuilder()
                                                          .block(4)
                                                          .record(3, {'S', 'N', '1', 0x00})
                                                          .block(58)
                                                          .record(0, {0x00})
                                                          .text()))}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    auto* doc = frame.activeDocument();
    QVERIFY(doc != nullptr);
    COMPARE_MENU_BAR(dumpMenuBar(frame), QString::fromUtf8(kDocument));

    // vCard files that could not all be read cannot be saved; the file opened before is now
    // among the recent ones.
    frame.openFiles(kestrel::FileKind::Vcf,
                    {QString::fromStdString((dir.path() / "none.vcf").string())});
    QVERIFY(readingDone(frame));
    QVERIFY(frame.activeDocument() != doc);
    COMPARE_MENU_BAR(dumpMenuBar(frame), QString::fromUtf8(kUnreadCards));

    frame.mdiArea()->setActiveSubWindow(frame.mdiArea()->subWindowList().front());
    QCOMPARE(frame.activeDocument(), doc);
    doc->openBlockExplorer();
    QVERIFY(doc->explorer() != nullptr);
    COMPARE_MENU_BAR(dumpMenuBar(frame), QString::fromUtf8(kExplorer));

    // Back on the document, and then with every window closed, the menu bar is as before; the
    // recent files' entry is left out there, as it follows the list rather than the window.
    const auto withoutRecentState = [](QString text) {
      return text.replace(QStringLiteral("Последние файлы (disabled)"),
                          QStringLiteral("Последние файлы"));
    };
    doc->explorer()->close();
    settle();
    frame.mdiArea()->setActiveSubWindow(frame.mdiArea()->subWindowList().front());
    QCOMPARE(frame.activeDocument(), doc);
    COMPARE_MENU_BAR(withoutRecentState(dumpMenuBar(frame)), withoutRecentState(kDocument));
    frame.mdiArea()->closeAllSubWindows();
    settle();
    COMPARE_MENU_BAR(withoutRecentState(dumpMenuBar(frame)), withoutRecentState(kNoDocument));
  }

  // Alt with the first letter of a menu's caption opens it; About opens its box; a disabled
  // menu stays shut.
  void altAndTheFirstLetterOpenEachMenu() {
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{QString::fromStdString(
        dir.write("phone.pm", PmBuilder().block(4).record(3, {0}).text()))}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    QVERIFY(frame.activeDocument() != nullptr);
    QApplication::setActiveWindow(&frame);
    const struct {
      char16_t letter;
      const char* opens;  // the menu's caption; none when nothing opens
    } keys[] = {{u'Ф', "Файл"}, {u'В', "Вид"}, {u'Р', "Редактирование"}, {u'Н', nullptr}};
    for (const auto& key : keys) {
      // A Cyrillic key, as a Russian keyboard layout sends it.
      QTest::sendKeyEvent(QTest::Click, &frame, static_cast<Qt::Key>(key.letter),
                          QString(QChar(key.letter)).toLower(), Qt::AltModifier);
      auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      const QString opened = popup != nullptr ? visibleText(popup->title()) : QString();
      if (popup != nullptr) popup->close();
      QCOMPARE(opened, QString::fromUtf8(key.opens));
    }
    QCOMPARE(dialogs.shown, 0);
    QTest::keyClick(&frame, Qt::Key_A, Qt::AltModifier);
    QCOMPARE(dialogs.shown, 1);
  }
};

QTEST_MAIN(MenuBarTest)
#include "MenuBarTest.moc"
