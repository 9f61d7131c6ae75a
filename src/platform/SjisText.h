// The window's edge: conversion between the system's Shift-JIS byte strings
// (code page 932) and QString. Nothing else in the window converts text.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quaverly {

// Bytes that are not valid code page 932 become "?".
QString FromSjis(std::string_view sjis);
// Characters code page 932 cannot hold become "?".
std::string ToSjis(const QString& text);

}  // namespace quaverly
