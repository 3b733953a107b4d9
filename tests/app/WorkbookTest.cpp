#include <QAction>
#include <QDir>
#include <QFile>
#include <QtTest>
#include <optional>

#include "FakeDialogs.h"
#include "MainWindow.h"
#include "support/DemoDump.h"

using kestrel::app::MainWindow;

namespace {

// Environment variables set for a while, and given back their values (or absence) after.
class ScopedEnvironment {
 public:
  void set(const char* name, const QByteArray& value) {
    saved_.push_back({name, qEnvironmentVariableIsSet(name)
                                ? std::optional<QByteArray>(qgetenv(name))
                                : std::nullopt});
    qputenv(name, value);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second)
        qputenv(it->first, *it->second);
      else
        qunsetenv(it->first);
    }
  }

 private:
  std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
};

}  // namespace

// How an exported workbook reaches the user: the desktop's spreadsheet program, or a file the
// user names where there is none; and the temporary copies it leaves while the program runs.
class WorkbookTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  QString demo() {
    return QString::fromStdString(dir.write("demo.pm", kestrel::test::demoPmText()));
  }

  static QByteArray start(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(2) : QByteArray();
  }

 private slots:
  void init() { resetDialogs(); }

  void withoutASpreadsheetProgramTheWorkbookIsSavedWhereTheUserSays() {
    MainWindow frame(services());
    frame.openByName({demo()});
    QVERIFY(readingDone(frame));
    desktop.canOpen = false;
    const QString mine = QString::fromStdString(dir.file("mine"));
    const QString unwritable = QString::fromStdString(dir.file("no/such/book.xlsx"));
    files.saveAnswers = {{mine, 1}, {}, {unwritable, 1}};
    for (int i = 0; i < 3; ++i)
      frame.exportToExcelAction()->trigger();

    QCOMPARE(desktop.opened.size(), 3);
    QCOMPARE(messages.informations,
             QStringList(3, QStringLiteral("Нет программы, которая открывает книги Excel (файлы "
                                           ".xlsx). Выберите, куда сохранить книгу, чтобы "
                                           "открыть её позже.")));
    QCOMPARE(files.saveRequests.size(), 3);
    QCOMPARE(files.saveRequests[0].filter, QStringLiteral("Книга Excel|*.xlsx"));
    QCOMPARE(files.saveRequests[0].fileName, QStringLiteral("Книга1.xlsx"));
    // The name gets the workbook's ending; a cancel saves nothing; a failed write is reported.
    QCOMPARE(start(mine + QStringLiteral(".xlsx")), QByteArray("PK"));
    QCOMPARE(messages.errors.size(), 1);
    QVERIFY2(messages.errors[0].startsWith(unwritable), qPrintable(messages.errors[0]));
    QCOMPARE(QDir(QString::fromStdString(dir.path().string())).entryList(QDir::Files),
             (QStringList{"demo.pm", "mine.xlsx"}));

    // A workbook already there under the final name is replaced only when the user agrees.
    dir.write("mine.xlsx", "earlier");
    files.saveAnswers = {{mine, 1}, {mine + QStringLiteral(".xlsx"), 1}};
    messages.questionAnswers = {false, true};
    frame.exportToExcelAction()->trigger();
    QCOMPARE(start(mine + QStringLiteral(".xlsx")), QByteArray("ea"));
    frame.exportToExcelAction()->trigger();
    QCOMPARE(messages.questions.size(), 2);
    QVERIFY2(messages.questions[0].contains(mine + QStringLiteral(".xlsx")),
             qPrintable(messages.questions[0]));
    QCOMPARE(start(mine + QStringLiteral(".xlsx")), QByteArray("PK"));
  }

  // Each export's folder stays while the program runs, since the spreadsheet program reads the
  // workbook from there, and goes when it ends.
  void temporaryFoldersGoWhenTheProgramEnds() {
    const QString tmp = QString::fromStdString((dir.path() / "tmp").string());
    QVERIFY(QDir().mkpath(tmp));
    ScopedEnvironment environment;
    environment.set("TMPDIR", QFile::encodeName(tmp));
    {
      MainWindow frame(services());
      frame.openByName({demo()});
      QVERIFY(readingDone(frame));
      frame.exportToExcelAction()->trigger();
      frame.exportToExcelAction()->trigger();
      QCOMPARE(desktop.opened.size(), 2);
      QCOMPARE(QDir(tmp).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
      QCOMPARE(start(desktop.opened[0]), QByteArray("PK"));
    }
    QCOMPARE(QDir(tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
  }

  // The desktop opens a file only with the application it names as the default for the file's
  // type; a type it names none for (or only one that is not installed) is not handed on.
  void desktopTellsWhetherAnApplicationOpensAWorkbook() {
    const QString root = QString::fromStdString(dir.path().string());
    QVERIFY(QDir().mkpath(root + "/config") && QDir().mkpath(root + "/data/applications"));
    const auto write = [](const QString& path, const QByteArray& text) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(text);
    };
    const QString book = root + "/Книга1.xlsx";
    write(book, "PK");
    write(root + "/data/applications/calc.desktop",
          "[Desktop Entry]\nType=Application\nExec=/opt/test/calc %f\n");
    // The system's file types stay in sight, through a folder that holds nothing else.
    const QString types =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                               QStandardPaths::LocateDirectory);
    QVERIFY2(!types.isEmpty(), "no shared MIME database (Debian package shared-mime-info)");
    QVERIFY(QDir().mkpath(root + "/types") && QFile::link(types, root + "/types/mime"));
    ScopedEnvironment environment;
    environment.set("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    environment.set("XDG_CONFIG_DIRS", QFile::encodeName(root + "/none"));
    environment.set("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
    environment.set("XDG_DATA_DIRS", QFile::encodeName(root + "/types"));
    environment.set("XDG_CURRENT_DESKTOP", "");
    // Qt Test points the standard folders away from the environment; this case needs them.
    QStandardPaths::setTestModeEnabled(false);
    kestrel::app::QtDesktop real;
    QList<bool> opens;
    const QByteArray type = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
    for (const QByteArray& list :
         {QByteArray("[Default Applications]\ntext/html=calc.desktop\n"),
          "[Default Applications]\n" + type + "=missing.desktop\n",
          "[Default Applications]\n" + type + "=missing.desktop;calc.desktop\n"}) {
      write(root + "/config/mimeapps.list", list);
      opens << real.canOpen(book);
    }
    QStandardPaths::setTestModeEnabled(true);
    QCOMPARE(opens, (QList<bool>{false, false, true}));
  }
};

QTEST_MAIN(WorkbookTest)
#include "WorkbookTest.moc"
