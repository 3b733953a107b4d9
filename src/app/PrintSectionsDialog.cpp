#include "PrintSectionsDialog.h"

namespace kestrel::app {

PrintSectionsDialog::PrintSectionsDialog(QWidget* parent)
    : SectionsDialog(parent, QStringLiteral("printSectionsDialog"), QStringLiteral("Печать"),
                     QStringLiteral("Печать"), QStringLiteral("Печать")) {}

}  // namespace kestrel::app
