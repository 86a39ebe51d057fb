#include "fontfallback.h"

#include <QFont>
#include <QGuiApplication>

namespace FontFallback {

const char *const kCjkFamily = "WenQuanYi Micro Hei";

void install()
{
    const QString cjk = QString::fromUtf8(kCjkFamily);
    for (const char *family : {"微软雅黑", "Microsoft YaHei", "YouSheBiaoTiHei"})
        QFont::insertSubstitution(QString::fromUtf8(family), cjk);

    QFont font = QGuiApplication::font();
    QStringList families = font.families();
    if (families.isEmpty())
        families.append(font.family());
    if (!families.contains(cjk))
        families.append(cjk);
    font.setFamilies(families);
    QGuiApplication::setFont(font);
}

} // namespace FontFallback
