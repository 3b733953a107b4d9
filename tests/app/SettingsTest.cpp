#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

#include "DocumentWindow.h"
#include "FakeDialogs.h"
#include "MainWindow.h"
#include "WindowPlacementQt.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

using kestrel::app::DocumentWindow;
using kestrel::app::MainWindow;
using kestrel::app::setSettingsFolder;
using kestrel::app::settingsFolder;
using kestrel::test::PmBuilder;

class SettingsTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  int run_ = 0;

  QString dump(const char* name) {
    return QString::fromStdString(
        dir.write(name, PmBuilder().block(4).record(3, {'S', 'N', '1', 0x00}).text()));
  }
  static QString settingsText(const char* file) {
    QFile f(settingsFolder() + "/" + file);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
  static QMdiSubWindow* subWindow(DocumentWindow* doc) {
    return qobject_cast<QMdiSubWindow*>(doc->parentWidget());
  }

 private slots:
  // Every case starts as a first run, in a folder not made yet.
  void init() {
    resetDialogs();
    setSettingsFolder(QString::fromStdString(dir.file("run" + std::to_string(++run_))));
  }

  void mainWindowComesBackWhereItWasClosed() {
    QRect closedFrame;
    {
      MainWindow first(services());
      first.show();
      QVERIFY(first.isMaximized());  // the first run's state
      first.showNormal();
      first.move(120, 80);
      first.resize(640, 480);
      closedFrame = first.frameGeometry();
      QCOMPARE(closedFrame.topLeft(), QPoint(120, 80));
      QVERIFY(first.close());
    }
    // The outer bounds, borders included, are what is kept.
    const QString text = settingsText("setupKestrel");
    QVERIFY2(text.startsWith("[TMainForm]\nFormVersion=0\nFlags=0\nShowCmd=1\n"), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("\nNormPos=120,80,%1,%2\n")
                               .arg(120 + closedFrame.width())
                               .arg(80 + closedFrame.height())),
             qPrintable(text));

    QRect normalFrame;
    {
      MainWindow second(services());
      second.show();
      QVERIFY(!second.isMaximized());
      QCOMPARE(second.frameGeometry(), closedFrame);
      normalFrame = second.frameGeometry();
      second.showMaximized();
      QVERIFY(second.close());
    }
    MainWindow third(services());
    third.show();
    QVERIFY(third.isMaximized());
    third.showNormal();
    QCOMPARE(third.frameGeometry(), normalFrame);
    QVERIFY(messages.errors.isEmpty());
  }

  void openDialogsProposeTheLastFilesAfterARestart() {
    const QString pm = dump("last phone.pm");
    {
      MainWindow first(services());
      first.show();
      files.openAnswers = {{pm}};
      first.openPm();
      QVERIFY(readingDone(first));
      QCOMPARE(first.documents().size(), 1);
      first.openGdfsDialog.fileName = "  /media/phone/dump.gdfs \t";
      QVERIFY(first.close());
    }
    QVERIFY(settingsText("setupKestrel").contains("\nOpenGDFS_FileName=/media/phone/dump.gdfs\n"));

    MainWindow next(services());
    next.show();
    files.reset();
    next.openPm();
    QVERIFY(readingDone(next));
    QCOMPARE(files.openRequests.size(), 1);
    QCOMPARE(files.openRequests[0].fileName, pm);
    QCOMPARE(next.openGdfsDialog.fileName, QStringLiteral("/media/phone/dump.gdfs"));
    QVERIFY(messages.errors.isEmpty());
  }

  void aDocumentOpensWhereTheLastClosedDocumentWas() {
    const QString pm = dump("doc.pm");
    MainWindow frame(services());
    frame.show();
    files.openAnswers = {{pm}, {pm}};
    frame.openPm();
    frame.openPm();
    QVERIFY(readingDone(frame));
    const QList<DocumentWindow*> docs = frame.documents();
    QCOMPARE(docs.size(), 2);
    subWindow(docs[0])->setGeometry(10, 20, 300, 200);
    subWindow(docs[1])->setGeometry(50, 60, 320, 240);
    QVERIFY(subWindow(docs[0])->close());
    QVERIFY(subWindow(docs[1])->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(frame.documents().size(), 0);
    QVERIFY(settingsText("setupchildKestrel").startsWith("[TReadForm]\n"));

    files.openAnswers = {{pm}};
    frame.openPm();
    QVERIFY(readingDone(frame));
    QCOMPARE(frame.documents().size(), 1);
    QCOMPARE(subWindow(frame.documents()[0])->geometry(), QRect(50, 60, 320, 240));
    QVERIFY(messages.errors.isEmpty());
  }

  void anUnusableSettingsFolderIsReportedAndNeverKeepsAWindow() {
    // A folder inside a plain file can be neither read nor made.
    const std::string plainFile = dir.write("not a folder", "x");
    setSettingsFolder(QString::fromStdString(plainFile + "/settings"));
    {
      MainWindow frame(services());
      frame.show();
      QVERIFY(frame.isVisible());
      QVERIFY(frame.close());
      QVERIFY(!frame.isVisible());
      QCOMPARE(messages.errors.size(), 1);
      QVERIFY2(messages.errors[0].contains("setupKestrel"), qPrintable(messages.errors[0]));
    }
    QCOMPARE(messages.errors.size(), 1);  // closed once, written once

    // A settings file that cannot be read: the window shows as on a first run.
    messages.reset();
    setSettingsFolder(QString::fromStdString(dir.file("unreadable")));
    QVERIFY(QDir().mkpath(settingsFolder() + "/setupKestrel"));
    MainWindow frame(services());
    frame.show();
    QVERIFY(frame.isVisible());
    QVERIFY(frame.isMaximized());
    QCOMPARE(messages.errors.size(), 1);
  }
};

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
