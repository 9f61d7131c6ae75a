#include "FormLook.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace quaverly {

namespace {

// The first family of the list that is installed; the whole list when none
// is. Qt takes the first installed family of a list too, but for each
// missing family before it asks fontconfig for that family's substitutes, a
// sort of every installed font, once for each size, weight and script: some
// milliseconds before the window's first paint where the Windows fonts are
// missing. And the installed families after the first become fallbacks whose
// list Qt completes with fontconfig's own (another sort) as each font of the
// window is loaded; with one family, Qt asks for fallbacks only when a
// character is missing from it, which the window's own texts are not. The
// font chosen is the same.
QStringList FirstInstalledFamily(const QStringList& families)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            return {family};
        }
    }
    return families;
}

}  // namespace

QFont WindowFont()
{
    QFont font;
    font.setFamilies(FirstInstalledFamily({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                                        QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP")}));
    font.setPixelSize(12);
    return font;
}

QFont FixedPitchFont()
{
    QFont font;
    font.setFamilies(FirstInstalledFamily({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                                        QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace")}));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    return font;
}

void ApplyWindowFont(QWidget* form)
{
    form->setFont(WindowFont());
}

void CenterOnScreen(QWidget* form)
{
    QScreen* screen = form->screen();
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen == nullptr) {
        return;
    }
    QRect frame = form->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    form->move(frame.topLeft());
}

}  // namespace quaverly
