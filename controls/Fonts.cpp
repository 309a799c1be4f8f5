#include "controls/Fonts.h"

#include <QFontDatabase>
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

void AddFolderFont(const QString &folder) {
  // hasFamily looks up that one family; families() would load every one.
  if (QFontDatabase::hasFamily(QStringLiteral("IPAPGothic"))) return;
  QFontDatabase::addApplicationFont(folder + QStringLiteral("/fonts/ipagp.ttf"));
}

}  // namespace controls
