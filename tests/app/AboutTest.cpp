#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>

#include "AboutDialog.h"
#include "FakeDialogs.h"
#include "JpegImage.h"
#include "MainWindow.h"

using kestrel::app::AboutDialog;
using kestrel::app::decodeJpeg;
using kestrel::app::MainWindow;

class AboutTest : public kestrel::app::test::DialogTest {
  Q_OBJECT

  static QByteArray pictureBytes() {
    QFile file(QString::fromLatin1(AboutDialog::kPictureResource));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // Every element of the box that opens a page, with the page it opens.
  static QList<std::pair<QString, QString>> links() {
    return {{"picture", AboutDialog::kHomePage},
            {"credit", AboutDialog::kHomePage},
            {"person1", AboutDialog::kPersonPages[0]},
            {"person2", AboutDialog::kPersonPages[1]},
            {"person3", AboutDialog::kPersonPages[2]}};
  }

 private slots:
  void init() { resetDialogs(); }

  void aboutCommandShowsTheBoxModallyAndOkClosesIt() {
    MainWindow frame(services());
    AboutDialog* shown = nullptr;
    bool closedWithOk = false;
    dialogs.answers = {[&](QDialog& dialog) {
      shown = qobject_cast<AboutDialog*>(&dialog);
      if (shown == nullptr) return false;
      QTest::mouseClick(shown->okButton(), Qt::LeftButton);
      closedWithOk = dialog.result() == QDialog::Accepted;
      return closedWithOk;
    }};
    QAction* about = nullptr;
    for (QAction* action : frame.menuBar()->actions()) {
      if (action->text() == QStringLiteral("&About")) about = action;
    }
    QVERIFY(about);
    about->trigger();

    QCOMPARE(dialogs.shown, 1);
    QVERIFY(shown);
    QVERIFY(closedWithOk);
    QVERIFY(desktop.started.isEmpty());
  }

  void boxHasItsCaptionTitleBarAndSize() {
    AboutDialog box(desktop);
    box.show();
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    const Qt::WindowFlags flags = box.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
    QCOMPARE(box.panel()->size(), QSize(201, 281));
    QCOMPARE(box.size(), QSize(201, 281));
    QVERIFY(!box.windowIcon().isNull());
  }

  void elementsHaveTheirCaptionsPlacesAndLooks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<int>("pixelHeight");
    QTest::addColumn<int>("cursor");
    const int arrow = Qt::ArrowCursor;
    const int hand = Qt::PointingHandCursor;
    QTest::newRow("Made In") << "madeIn"
                             << "Made In:" << QPoint(56, 8) << 19 << arrow;
    QTest::newRow("credit") << "credit"
                            << "Kestrel team" << QPoint(48, 89) << 19 << arrow;
    QTest::newRow("person 1") << "person1"
                              << "Falco" << QPoint(48, 121) << 19 << hand;
    QTest::newRow("person 2") << "person2"
                              << "Merlin" << QPoint(56, 148) << 24 << hand;
    QTest::newRow("Big Thanks") << "bigThanks"
                                << "Big Thanks:" << QPoint(40, 185) << 19 << arrow;
    QTest::newRow("person 3") << "person3"
                              << "Hobby" << QPoint(32, 217) << 19 << hand;
  }

  void elementsHaveTheirCaptionsPlacesAndLooks() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QPoint, position);
    QFETCH(int, pixelHeight);
    QFETCH(int, cursor);
    AboutDialog box(desktop);
    box.show();
    auto* label = box.panel()->findChild<QLabel*>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), position);
    QCOMPARE(label->font().pixelSize(), pixelHeight);
    QVERIFY(label->font().bold());
    QCOMPARE(static_cast<int>(label->cursor().shape()), cursor);
    // Sized to its text, and the whole text inside the panel.
    QCOMPARE(label->size(), label->sizeHint());
    QVERIFY2(box.panel()->rect().contains(label->geometry()), qPrintable(name));
  }

  void pictureAndButtonHaveTheirPlacesAndLooks() {
    AboutDialog box(desktop);
    QCOMPARE(box.picture()->geometry(), QRect(24, 36, 150, 45));
    QCOMPARE(box.picture()->pixmap().size(), QSize(150, 45));
    QCOMPARE(box.picture()->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(box.okButton()->geometry(), QRect(64, 248, 75, 25));
    QCOMPARE(box.okButton()->text(), QString::fromUtf8("\u041e\u043a"));  // Cyrillic, not "Ok"
    QVERIFY(box.okButton()->font().bold());
    QCOMPARE(box.okButton()->font().pixelSize(), 16);
  }

  void pictureIsDecodedWhole() {
    const QByteArray bytes = pictureBytes();
    QVERIFY(!bytes.isEmpty());
    const auto decoded = decodeJpeg(bytes);
    QVERIFY2(decoded.ok(), qPrintable(decoded.error));
    QCOMPARE(decoded.image.size(), QSize(150, 45));
    // Rows and channels in their places: Qt's own reader of the same bytes sees the same picture.
    const QImage reference = QImage::fromData(bytes, "JPG").convertToFormat(QImage::Format_RGB888);
    QCOMPARE(reference.size(), decoded.image.size());
    int worst = 0;
    for (int y = 0; y < reference.height(); ++y) {
      for (int x = 0; x < reference.width(); ++x) {
        const QRgb a = decoded.image.pixel(x, y);
        const QRgb b = reference.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                          std::abs(qBlue(a) - qBlue(b))});
      }
    }
    QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
  }

  void damagedJpegFailsCleanly_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray whole = pictureBytes();
    const qsizetype frame = whole.indexOf(QByteArray("\xff\xc0", 2));
    QVERIFY(frame > 0);
    auto withFrameSize = [&](quint16 height, quint16 width) {
      QByteArray b = whole;
      b[frame + 5] = static_cast<char>(height >> 8);
      b[frame + 6] = static_cast<char>(height & 0xff);
      b[frame + 7] = static_cast<char>(width >> 8);
      b[frame + 8] = static_cast<char>(width & 0xff);
      return b;
    };
    QByteArray notJpeg = whole;
    notJpeg[0] = 'G';
    QByteArray scanBroken = whole;
    const qsizetype scan = whole.indexOf(QByteArray("\xff\xda", 2));
    QVERIFY(scan > 0);
    // A restart marker where none belongs: libjpeg would skip it with a corrupt-data warning.
    scanBroken[scan + 40] = '\xff';
    scanBroken[scan + 41] = '\xd3';

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not a JPEG") << notJpeg;
    QTest::newRow("cut in the header") << whole.left(frame + 4);
    QTest::newRow("cut in the scan") << whole.left(whole.size() / 2);
    QTest::newRow("no end marker") << whole.left(whole.size() - 2);
    QTest::newRow("stray marker in the scan") << scanBroken;
    QTest::newRow("zero width") << withFrameSize(45, 0);
    QTest::newRow("oversized") << withFrameSize(60000, 60000);
  }

  void damagedJpegFailsCleanly() {
    QFETCH(QByteArray, bytes);
    const auto decoded = decodeJpeg(bytes);
    QVERIFY(!decoded.ok());
    QVERIFY(decoded.image.isNull());
    QVERIFY(!decoded.error.isEmpty());
  }

  void linksStartTheRegisteredBrowser_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("program");      // empty: nothing is started
    QTest::addColumn<QStringList>("options");  // the arguments before the address
    QTest::newRow("quoted path, options, placeholder")
        << "\"/opt/Test Browser/browser\" --new-window %u"
        << "/opt/Test Browser/browser" << QStringList{"--new-window"};
    QTest::newRow("quoted path only") << "\"/usr/bin/test-browser\""
                                      << "/usr/bin/test-browser" << QStringList{};
    QTest::newRow("through a wrapper")
        << "env BAMF_DESKTOP_FILE_HINT=/x /snap/bin/firefox %u"
        << "env" << QStringList{"BAMF_DESKTOP_FILE_HINT=/x", "/snap/bin/firefox"};
    QTest::newRow("nothing registered") << ""
                                        << "" << QStringList{};
    QTest::newRow("quote left open") << "\"/usr/bin/test-browser %u"
                                     << "" << QStringList{};
  }

  void linksStartTheRegisteredBrowser() {
    QFETCH(QString, command);
    QFETCH(QString, program);
    QFETCH(QStringList, options);
    AboutDialog box(desktop);
    box.show();
    desktop.htmlCommand = command;
    int clicks = 0;
    for (const auto& [name, address] : links()) {
      auto* element = box.panel()->findChild<QLabel*>(name);
      QVERIFY(element);
      desktop.started.clear();
      QTest::mouseClick(element, Qt::LeftButton);
      // The registration is read afresh on every click.
      QCOMPARE(desktop.htmlQueries, ++clicks);
      if (program.isEmpty()) {
        QVERIFY2(desktop.started.isEmpty(), qPrintable(name));
        continue;
      }
      QCOMPARE(desktop.started.size(), 1);
      QCOMPARE(desktop.started[0].program, program);
      QCOMPARE(desktop.started[0].arguments, options + QStringList{address});
    }
  }

  void otherClicksOpenNothing() {
    desktop.htmlCommand = "\"/usr/bin/test-browser\" %u";
    AboutDialog box(desktop);
    box.show();
    for (const char* name : {"madeIn", "bigThanks"})
      QTest::mouseClick(box.panel()->findChild<QLabel*>(name), Qt::LeftButton);
    QTest::mouseClick(box.picture(), Qt::RightButton);
    QTest::mouseClick(box.panel(), Qt::LeftButton);
    QCOMPARE(desktop.htmlQueries, 0);
    QVERIFY(desktop.started.isEmpty());
    QVERIFY(box.isVisible());
  }

  // The production layer finds the browser the way the desktop's own tools do: the default
  // text/html entry of the mimeapps.list files, skipping entries that are missing or name no
  // command, and hands on its Exec line.
  void desktopReadsTheDefaultHtmlHandler() {
    const QString root = QString::fromStdString(dir.path().string());
    QDir().mkpath(root + "/config");
    QDir().mkpath(root + "/data/applications");
    auto write = [](const QString& path, const QByteArray& text) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(text);
    };
    write(root + "/config/mimeapps.list",
          "[Default Applications]\ntext/html=missing.desktop;nocommand.desktop;browser.desktop;\n");
    write(root + "/data/applications/nocommand.desktop", "[Desktop Entry]\nName=Viewer\n");
    write(root + "/data/applications/browser.desktop",
          "[Desktop Entry]\nType=Application\nExec=/opt/test/browser --private %u\n");
    const char* variables[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME",
                               "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"};
    QList<QByteArray> saved;
    for (const char* name : variables)
      saved << qgetenv(name);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(root + "/none"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/data"));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(root + "/none"));
    qunsetenv("XDG_CURRENT_DESKTOP");

    // Qt Test points the standard folders away from the environment; this case needs them.
    const bool testMode = QStandardPaths::isTestModeEnabled();
    QStandardPaths::setTestModeEnabled(false);
    kestrel::app::QtDesktop real;
    const QString command = real.htmlHandlerCommand();
    write(root + "/config/mimeapps.list", "[Default Applications]\ntext/plain=browser.desktop\n");
    const QString none = real.htmlHandlerCommand();

    QStandardPaths::setTestModeEnabled(testMode);
    for (int i = 0; i < saved.size(); ++i) {
      if (saved[i].isNull())
        qunsetenv(variables[i]);
      else
        qputenv(variables[i], saved[i]);
    }
    QCOMPARE(command, QStringLiteral("/opt/test/browser --private %u"));
    QCOMPARE(none, QString());
    QVERIFY(!real.startProgram(QString(), {AboutDialog::kHomePage}));
  }
};

QTEST_MAIN(AboutTest)
#include "AboutTest.moc"
