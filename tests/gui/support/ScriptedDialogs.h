// A stand-in for the window's dialogs: each Run records the call and answers
// as scripted. An accepted file information or FFF0 dialog applies its edit
// function (if any) to what it was given, as a user's typing would.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace quaverly {

class ScriptedDialogs : public Dialogs {
public:
    std::optional<QString> RunMldSelect(const QString& startFolder = QString()) override
    {
        ++mldSelectCalls;
        mldSelectStartFolder = startFolder;
        return mldSelectAnswer;
    }
    bool RunFileInfo(MelodyFileInfo& info) override
    {
        ++fileInfoCalls;
        shownFileInfo = info;
        if (fileInfoAccept && fileInfoEdit) {
            fileInfoEdit(info);
        }
        return fileInfoAccept;
    }
    void ShowForeignInfo(const MfiMelody& melody) override
    {
        ++foreignInfoCalls;
        shownForeignInfo = melody;
    }
    bool RunF0Data(bool& dataSet, std::string& dataHex) override
    {
        ++f0DataCalls;
        shownF0DataSet = dataSet;
        shownF0DataHex = dataHex;
        if (f0DataAccept && f0DataEdit) {
            f0DataEdit(dataSet, dataHex);
        }
        return f0DataAccept;
    }
    void RunSetup() override { ++setupCalls; }
    QString EditTempoText() const override { return editTempo; }
    void RunAbout() override { ++aboutCalls; }
    std::optional<std::vector<std::string>> RunRingtoneBook(const QString& path) override
    {
        ringtoneBookPaths.append(path);
        return ringtoneBookAnswer;
    }

    std::optional<std::vector<int>> RunMidiChannels(const MidiSurvey& survey) override
    {
        shownMidiSurveys.push_back(survey);
        if (midiChannelsCancel) {
            return std::nullopt;
        }
        return midiChannelsAnswer ? *midiChannelsAnswer : survey.automaticChoice;
    }

    bool RunAudioExport(AudioExportChoice& choice) override
    {
        ++audioExportCalls;
        shownAudioExport = choice;
        if (audioExportAnswer) {
            choice = *audioExportAnswer;
        }
        return audioExportAccept;
    }

    std::optional<QString> mldSelectAnswer;  // nothing: Cancel
    int mldSelectCalls = 0;
    QString mldSelectStartFolder;

    bool fileInfoAccept = false;
    std::function<void(MelodyFileInfo&)> fileInfoEdit;
    MelodyFileInfo shownFileInfo;
    int fileInfoCalls = 0;
    MfiMelody shownForeignInfo;
    int foreignInfoCalls = 0;

    bool f0DataAccept = false;
    std::function<void(bool&, std::string&)> f0DataEdit;
    bool shownF0DataSet = false;
    std::string shownF0DataHex;
    int f0DataCalls = 0;

    QString editTempo = QStringLiteral("95");
    int setupCalls = 0;
    int aboutCalls = 0;

    std::optional<std::vector<std::string>> ringtoneBookAnswer;
    QStringList ringtoneBookPaths;

    bool midiChannelsCancel = false;
    std::optional<std::vector<int>> midiChannelsAnswer;  // nothing: OK on the automatic choice
    std::vector<MidiSurvey> shownMidiSurveys;

    bool audioExportAccept = true;
    std::optional<AudioExportChoice> audioExportAnswer;  // nothing: OK on what was shown
    AudioExportChoice shownAudioExport;
    int audioExportCalls = 0;
};

}  // namespace quaverly
