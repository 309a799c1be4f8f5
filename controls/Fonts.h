// The user-interface face "ＭＳ Ｐゴシック"; on Linux IPAPGothic, which has
// the same metrics, stands in for it.
#pragma once
#include <QFont>

namespace controls {
QFont UiFont(qreal pointSize, bool bold = false);
// The portable folder carries IPAPGothic in fonts/ for systems without it.
void AddFolderFont(const QString &folder);
}
