#include "SaveSectionsDialog.h"

namespace kestrel::app {

SaveSectionsDialog::SaveSectionsDialog(QWidget* parent)
    : SectionsDialog(parent, QStringLiteral("saveSectionsDialog"), QStringLiteral("Save"),
                     QStringLiteral("Сохранение"), QStringLiteral("Ок")) {}

}  // namespace kestrel::app
