#pragma once
// The frame of the multi-document interface: the open commands, the merged menu bar, and the
// arrangement of the document windows.

#include <QList>
#include <QMainWindow>
#include <functional>

#include "Dialogs.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace kestrel::app {

class TReadForm;
class TSavefilec;

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  // An open dialog's settings: its filter and the file it proposes.
  struct OpenDialog {
    QString filter;
    QString fileName;
    bool multiple = false;
  };
  enum class TileMode { Horizontal, Vertical };

  explicit TMainForm(const AppServices& services, QWidget* parent = nullptr);
  ~TMainForm() override;

  QMdiArea* mdiArea() const { return mdiArea_; }
  QList<TReadForm*> documents() const;
  TReadForm* activeDocument() const;
  const AppServices& services() const { return services_; }
  // The save command's section dialog, one for the whole run.
  TSavefilec& Savefilec() const { return *Savefilec_; }

  OpenDialog OpenPM{QStringLiteral("PM|*.pm*"), {}, false};
  OpenDialog OpenGDFS{QStringLiteral("GDFS|*.bin*;*.gdfs*;*.gdf*"), {}, false};
  OpenDialog OpenSamsung{{}, {}, false};
  OpenDialog OpenVCF{QStringLiteral("VCF|*.vcf*"), {}, true};

  TileMode tileMode() const { return tileMode_; }
  void setTileMode(TileMode mode) { tileMode_ = mode; }
  // Arranges the document windows side by side (vertical) or one above another (horizontal).
  void Tile();
  void Cascade();

  // Runs a command; a failure reaches the general error report instead of ending the program.
  void guarded(QWidget* parent, const std::function<void()>& command);

 public slots:
  void PMKA1Click();
  // "Открыть GDFS": a GDFS dump in a new document window.
  void GDFS1Click();
  // "Открыть VCF": one or more vCard files in one new document window.
  void VCF1Click();
  void N3Click();
  // Shows the frame's menus merged with the active document's, ordered by group number.
  void rebuildMenuBar();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  struct GroupEntry {
    int group;
    QAction* action;
  };
  // Asks with the dialog; the chosen files, or none when the user cancelled.
  QStringList ask(OpenDialog& dialog);
  // A new document window owned by the frame, captioned and shown.
  TReadForm* createDocument(const QString& caption);

  AppServices services_;
  QMdiArea* mdiArea_ = nullptr;
  TileMode tileMode_ = TileMode::Horizontal;
  QList<GroupEntry> ownMenus_;
  QMenu* fileMenu_ = nullptr;
  QMenu* settingsMenu_ = nullptr;
  QAction* about_ = nullptr;
  TSavefilec* Savefilec_ = nullptr;
};

}  // namespace kestrel::app
