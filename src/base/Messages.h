// The system's own texts, as Shift-JIS bytes (code page 932), in one place.
// Each constant is followed by its text for the reader of this file.
#pragma once

#include <string_view>

namespace quaverly::Msg {

// 「データ形式が異常です」: the loaded bytes are not a melody image
inline constexpr std::string_view DataFormatAbnormal = "\x83" "f\x81[\x83^\x8C`\x8E\xAE\x82\xAA\x88\xD9\x8F\xED\x82\xC5\x82\xB7";
// 「未サポートです」: a format or command this program does not handle
inline constexpr std::string_view NotSupported = "\x96\xA2\x83T\x83|\x81[\x83g\x82\xC5\x82\xB7";
// 「このテンポは指定できません\r\n  」: followed by the tempo box text
inline constexpr std::string_view TempoRefused = "\x82\xB1\x82\xCC\x83" "e\x83\x93\x83|\x82\xCD\x8Ew\x92\xE8\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x0D\x0A  ";
// 「この音色は指定できません\r\n  」: followed by the tone box text
inline constexpr std::string_view ToneRefused = "\x82\xB1\x82\xCC\x89\xB9\x90" "F\x82\xCD\x8Ew\x92\xE8\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x0D\x0A  ";
// 「この音量は指定できません\r\n  」: followed by the volume box text
inline constexpr std::string_view VolumeRefused = "\x82\xB1\x82\xCC\x89\xB9\x97\xCA\x82\xCD\x8Ew\x92\xE8\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x0D\x0A  ";
// 「ヘルプファイルが見つかりません：」: followed by the help page's path
inline constexpr std::string_view HelpFileMissing = "\x83w\x83\x8B\x83v\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// "MIDI Pley Error: ": followed by the player's error code (the program's own spelling)
inline constexpr std::string_view MidiPlayError = "MIDI Pley Error: ";
// 「現在の音譜はなくなります。いいですか？」: asked before the melody is replaced
inline constexpr std::string_view LossQuestion = "\x8C\xBB\x8D\xDD\x82\xCC\x89\xB9\x95\x88\x82\xCD\x82\xC8\x82\xAD\x82\xC8\x82\xE8\x82\xDC\x82\xB7\x81" "B\x82\xA2\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81H";
// 「音譜解析を行っていません。いいですか？」: asked before an unanalysed melody is used
inline constexpr std::string_view AnalysisQuestion = "\x89\xB9\x95\x88\x89\xF0\x90\xCD\x82\xF0\x8Ds\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81" "B\x82\xA2\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81H";
// 「メールサイズは %d バイトです」: printf format with the mail text length
inline constexpr std::string_view MailSize = "\x83\x81\x81[\x83\x8B\x83T\x83" "C\x83Y\x82\xCD %d \x83o\x83" "C\x83g\x82\xC5\x82\xB7";
// 「対象データを選択してください」: ringtone-book dialog: OK with no row chosen
inline constexpr std::string_view SelectData = "\x91\xCE\x8F\xDB\x83" "f\x81[\x83^\x82\xF0\x91I\x91\xF0\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2";
// 「音譜解析結果\r\n」: first line of the analysis report
inline constexpr std::string_view ReportHead = "\x89\xB9\x95\x88\x89\xF0\x90\xCD\x8C\x8B\x89\xCA\x0D\x0A";
// 「　サイズ： 」: before the image size
inline constexpr std::string_view ReportSize = "\x81@\x83T\x83" "C\x83Y\x81" "F ";
// 「 バイト」: after the image size
inline constexpr std::string_view ReportBytes = " \x83o\x83" "C\x83g";
// 「　第」: before the voice number of a range line
inline constexpr std::string_view ReportVoice = "\x81@\x91\xE6";
// 「音の範囲：」: after the voice number
inline constexpr std::string_view ReportRange = "\x89\xB9\x82\xCC\x94\xCD\x88\xCD\x81" "F";
// 「～」: between the lowest and highest note
inline constexpr std::string_view ReportTo = "\x81`";
// 「読みとり中(%d/%d)」: file browser progress
inline constexpr std::string_view Reading = "\x93\xC7\x82\xDD\x82\xC6\x82\xE8\x92\x86(%d/%d)";
// 「読みとり終了(%d/%d)」: file browser result
inline constexpr std::string_view ReadingDone = "\x93\xC7\x82\xDD\x82\xC6\x82\xE8\x8FI\x97\xB9(%d/%d)";
// 「音譜が長すぎます。時間が 99999 ティックを超える音譜は作れません」: a melody time beyond the five-digit column
inline constexpr std::string_view MelodyTooLong = "\x89\xB9\x95\x88\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81" "B\x8E\x9E\x8A\xD4\x82\xAA 99999 \x83" "e\x83" "B\x83" "b\x83N\x82\xF0\x92\xB4\x82\xA6\x82\xE9\x89\xB9\x95\x88\x82\xCD\x8D\xEC\x82\xEA\x82\xDC\x82\xB9\x82\xF1";
// 「音譜が大きすぎます。イベントが 1500000 個を超える音譜は読めません」: a melody with more events than any built one
inline constexpr std::string_view MelodyTooManyEvents = "\x89\xB9\x95\x88\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81" "B\x83" "C\x83x\x83\x93\x83g\x82\xAA 1500000 \x8C\xC2\x82\xF0\x92\xB4\x82\xA6\x82\xE9\x89\xB9\x95\x88\x82\xCD\x93\xC7\x82\xDF\x82\xDC\x82\xB9\x82\xF1";
// 「文字列が長すぎます（65535 バイトまで）：」: followed by the chunk tag
inline constexpr std::string_view HeaderTextTooLong = "\x95\xB6\x8E\x9A\x97\xF1\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81i65535 \x83o\x83" "C\x83g\x82\xDC\x82\xC5\x81j\x81" "F";
// 「16進数データが正しくありません：」: followed by the raw data text
inline constexpr std::string_view NotHexData = "16\x90i\x90\x94\x83" "f\x81[\x83^\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// 「整数として読めません：」: followed by the text
inline constexpr std::string_view NotInteger = "\x90\xAE\x90\x94\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// 「ファイルを開けません：」: followed by the path and the reason
inline constexpr std::string_view FileOpenFailed = "\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// 「ファイルを読み込めません：」: followed by the path and the reason
inline constexpr std::string_view FileReadFailed = "\x83t\x83@\x83" "C\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// 「ファイルに書き込めません：」: followed by the path and the reason
inline constexpr std::string_view FileWriteFailed = "\x83t\x83@\x83" "C\x83\x8B\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// 「ファイルまたはフォルダが見つかりません」: ENOENT
inline constexpr std::string_view ReasonNotFound = "\x83t\x83@\x83" "C\x83\x8B\x82\xDC\x82\xBD\x82\xCD\x83t\x83H\x83\x8B\x83_\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 「アクセスが拒否されました」: EACCES, EPERM
inline constexpr std::string_view ReasonAccess = "\x83" "A\x83N\x83Z\x83X\x82\xAA\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD";
// 「ディスクの空き容量が足りません」: ENOSPC, EDQUOT
inline constexpr std::string_view ReasonNoSpace = "\x83" "f\x83" "B\x83X\x83N\x82\xCC\x8B\xF3\x82\xAB\x97" "e\x97\xCA\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1";
// 「ファイルが大きすぎます」: EFBIG
inline constexpr std::string_view ReasonTooBig = "\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xDC\x82\xB7";
// 「入出力エラーが発生しました」: EIO
inline constexpr std::string_view ReasonIo = "\x93\xFC\x8Fo\x97\xCD\x83G\x83\x89\x81[\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD";
// 「フォルダです」: EISDIR
inline constexpr std::string_view ReasonIsFolder = "\x83t\x83H\x83\x8B\x83_\x82\xC5\x82\xB7";
// 「読み取り専用の場所です」: EROFS
inline constexpr std::string_view ReasonReadOnly = "\x93\xC7\x82\xDD\x8E\xE6\x82\xE8\x90\xEA\x97p\x82\xCC\x8F\xEA\x8F\x8A\x82\xC5\x82\xB7";
// 「別のドライブへは置き換えられません」: EXDEV
inline constexpr std::string_view ReasonCrossDevice = "\x95\xCA\x82\xCC\x83h\x83\x89\x83" "C\x83u\x82\xD6\x82\xCD\x92u\x82\xAB\x8A\xB7\x82\xA6\x82\xE7\x82\xEA\x82\xDC\x82\xB9\x82\xF1";
// 「エラー番号 」: followed by the errno value
inline constexpr std::string_view ReasonOther = "\x83G\x83\x89\x81[\x94\xD4\x8D\x86 ";
// 「ファイルが曲データの途中で終わっています」: ringtone book cut short
inline constexpr std::string_view FileEndsInRecord = "\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8B\xC8\x83" "f\x81[\x83^\x82\xCC\x93r\x92\x86\x82\xC5\x8FI\x82\xED\x82\xC1\x82\xC4\x82\xA2\x82\xDC\x82\xB7";
// 「チャンネルは 0～3 で指定してください：」: numeric text, followed by the line
inline constexpr std::string_view ChannelOutOfRange = "\x83`\x83\x83\x83\x93\x83l\x83\x8B\x82\xCD 0\x81`3 \x82\xC5\x8Ew\x92\xE8\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81" "F";

// 「UTF-8 のテキストとして読めません：」: command-line tool, followed by the file name
inline constexpr std::string_view NotUtf8Text = "UTF-8 \x82\xCC\x83" "e\x83L\x83X\x83g\x82\xC6\x82\xB5\x82\xC4\x93\xC7\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81" "F";

// The synthesizer, the player and the audio renderer.
// 「音色ファイル（SoundFont）が見つかりません。探した場所：」: followed by the searched paths, one a line
inline constexpr std::string_view SoundFontNotFound = "\x89\xB9\x90" "F\x83t\x83@\x83" "C\x83\x8B\x81iSoundFont\x81j\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B\x92T\x82\xB5\x82\xBD\x8F\xEA\x8F\x8A\x81" "F";
// 「音色ファイル（SoundFont）を読み込めません：」: followed by the path
inline constexpr std::string_view SoundFontUnreadable = "\x89\xB9\x90" "F\x83t\x83@\x83" "C\x83\x8B\x81iSoundFont\x81j\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// 「シンセサイザーを用意できません」: FluidSynth could not create its synthesizer
inline constexpr std::string_view SynthesizerUnavailable = "\x83V\x83\x93\x83Z\x83T\x83" "C\x83U\x81[\x82\xF0\x97p\x88\xD3\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";
// 「音を出す装置を開けません：」: followed by the audio drivers tried
inline constexpr std::string_view AudioDeviceUnavailable = "\x89\xB9\x82\xF0\x8Fo\x82\xB7\x91\x95\x92u\x82\xF0\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1\x81" "F";
// 「MIDIファイルの形式が異常です：」: followed by the file name
inline constexpr std::string_view MidiFileMalformed = "MIDI\x83t\x83@\x83" "C\x83\x8B\x82\xCC\x8C`\x8E\xAE\x82\xAA\x88\xD9\x8F\xED\x82\xC5\x82\xB7\x81" "F";
// 「音声が長すぎます（1 時間まで）：」: a WAV rendering beyond one hour, followed by the file name
inline constexpr std::string_view AudioTooLong = "\x89\xB9\x90\xBA\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7\x81i1 \x8E\x9E\x8A\xD4\x82\xDC\x82\xC5\x81j\x81" "F";

// 「iメロディテキストの形式が正しくありません。見つからない行：」: melody text: followed by the missing line and MelodyTextAtLine
inline constexpr std::string_view MelodyTextLineMissing = "i\x83\x81\x83\x8D\x83" "f\x83" "B\x83" "e\x83L\x83X\x83g\x82\xCC\x8C`\x8E\xAE\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\x8Ds\x81" "F";
// 「（%d 行目）」: printf format with the 1-based line number where the line was expected
inline constexpr std::string_view MelodyTextAtLine = "\x81i%d \x8Ds\x96\xDA\x81j";
// 「タイトルの行」: melody text: the line after "$T"
inline constexpr std::string_view MelodyTextTitleLine = "\x83^\x83" "C\x83g\x83\x8B\x82\xCC\x8Ds";
// 「テンポの行」: melody text: the line after "$t"
inline constexpr std::string_view MelodyTextTempoLine = "\x83" "e\x83\x93\x83|\x82\xCC\x8Ds";
// 「著作権の行」: melody text: the line after "$C"
inline constexpr std::string_view MelodyTextCopyrightLine = "\x92\x98\x8D\xEC\x8C\xA0\x82\xCC\x8Ds";
// 「日付の行」: melody text: the line after "$D"
inline constexpr std::string_view MelodyTextDateLine = "\x93\xFA\x95t\x82\xCC\x8Ds";
// 「第」: melody text: before the voice number of a voice's line
inline constexpr std::string_view MelodyTextVoice = "\x91\xE6";
// 「音の音色の行（"-" で始まる行）」: melody text: the first line after a voice tag
inline constexpr std::string_view MelodyTextToneLine = "\x89\xB9\x82\xCC\x89\xB9\x90" "F\x82\xCC\x8Ds\x81i\x22-\x22 \x82\xC5\x8En\x82\xDC\x82\xE9\x8Ds\x81j";
// 「音の音量の行（"-" で始まる行）」: melody text: the second line after a voice tag
inline constexpr std::string_view MelodyTextVolumeLine = "\x89\xB9\x82\xCC\x89\xB9\x97\xCA\x82\xCC\x8Ds\x81i\x22-\x22 \x82\xC5\x8En\x82\xDC\x82\xE9\x8Ds\x81j";

// 「文字コードを変換できません」: a text that has no form in the other code page
inline constexpr std::string_view TextNotConvertible = "\x95\xB6\x8E\x9A\x83R\x81[\x83h\x82\xF0\x95\xCF\x8A\xB7\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";

}  // namespace quaverly::Msg
