#include "controls/Fonts.h"

#include <QStringList>

namespace controls {

QFont UiFont(qreal pointSize, bool bold) {
  static const QString face = QStringLiteral("ＭＳ Ｐゴシック");
  static const bool substituted = [] {
    QFont::insertSubstitutions(face, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    return true;
  }();
  (void)substituted;
  QFont font(face);
  font.setPointSizeF(pointSize);
  font.setBold(bold);
  return font;
}

}  // namespace controls
