#include "UnitMld/FileKind.h"

#include <gtest/gtest.h>

#include "base/FileIO.h"

namespace quaverly {
namespace {

TEST(FileKind, UpperCasesExtension)
{
    EXPECT_EQ(UpperExtension("/a/song.TmL"), ".TML");
    EXPECT_EQ(UpperExtension("song.mld"), ".MLD");
    EXPECT_EQ(UpperExtension("song"), "");
    EXPECT_EQ(UpperExtension("/a.b/song"), "");
    EXPECT_EQ(UpperExtension("song.mldx"), ".MLDX");
}

// The window's commands and the command-line tool dispatch on these kinds.
TEST(FileKind, KindsByExtensionInEitherCase)
{
    const std::pair<const char*, FileKind> cases[] = {
        {"song.mld", FileKind::Melody},        {"/a/SONG.MLD", FileKind::Melody},
        {".mld", FileKind::Melody},            {"x.Pmr", FileKind::PocketMelody},
        {"x.tml", FileKind::MelodyText},       {"x.C99", FileKind::NumericText},
        {"x.mid", FileKind::Midi},             {"x.mldx", FileKind::Other},
        {"book.KTM", FileKind::RingtoneBook},  {"book.ktm", FileKind::RingtoneBook},
        {"x.mld.txt", FileKind::Other},        {"/a.mld/song", FileKind::Other},
        {"song", FileKind::Other},             {"", FileKind::Other},
        {"-", FileKind::Other},                {"x.ml", FileKind::Other},
    };
    for (const auto& [path, kind] : cases) {
        EXPECT_EQ(FileKindOf(path), kind) << path;
    }
}

}  // namespace
}  // namespace quaverly
