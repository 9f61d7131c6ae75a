// The window's edge: conversion between the system's Shift-JIS byte strings
// (code page 932) and QString. Nothing else in the window converts text.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quaverly {

// Bytes that are not valid code page 932 become "?".
QString FromSjis(std::string_view sjis);
// Characters code page 932 cannot hold become "?", one for each character
// (a surrogate pair is one character).
std::string ToSjis(const QString& text);
// The bytes ToSjis makes of a character: 1 or 2; 1 for the first half of a
// surrogate pair and 0 for its second.
int SjisLength(QChar character);

}  // namespace quaverly
