// The messages that name a cap, built from the cap's value in Limits.h so
// that a text never says another number than the check uses (Shift-JIS).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quaverly {

// 「音譜が長すぎます。時間が 99999 ティックを超える音譜は作れません」
std::string MelodyTooLongMessage();
// 「音譜が大きすぎます。イベントが 1500000 個を超える音譜は読めません」
std::string MelodyTooManyEventsMessage();
// 「文字列が長すぎます（65535 バイトまで）：」 and the chunk's tag
std::string HeaderTextTooLongMessage(std::string_view tag);
// 「<what>が上限の <cap> 個を超えています」: what a list of a file exceeded
std::string OverCapMessage(std::string_view what, size_t cap);

}  // namespace quaverly
