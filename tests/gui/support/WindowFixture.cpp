#include "WindowAccess.h"
#include "WindowFixture.h"

#include <QFile>

#include "UnitMld/ScoreAnalysis.h"
#include "platform/SjisText.h"

namespace quaverly {

WindowFixture::WindowFixture()
    : window(store, WindowServices{boxes, fileDialogs, clipboard, settings, help, dialogs, player})
{
    WindowAccess::SetProgramFolder(window, folder.path());
    WindowAccess::SetTerminateHandler(window, [this] { ++terminations; });
}

QString WindowFixture::PathOf(const QString& name) const
{
    return folder.filePath(name);
}

QString WindowFixture::WriteFile(const QString& name, std::string_view bytes) const
{
    QString path = PathOf(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    return path;
}

std::string CompiledMelody(const QString& score, const QString& title)
{
    MelodyStore store;
    EditorTexts texts;
    texts.tempo = "125";
    texts.title = ToSjis(title);
    texts.tones.fill("1");
    texts.volumes.fill("63");
    texts.scores[0] = ToSjis(score);
    AnalyseScore(store, texts, MelodyFileInfo{}, false);
    return store.MelodyImage();
}

std::string FileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().toStdString();
}

std::string Sjis(const QString& text)
{
    return ToSjis(text);
}

}  // namespace quaverly
