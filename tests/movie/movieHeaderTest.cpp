#include "movieHeader.h"

#include "converterTestKit.h"
#include "movieWriter.h"
#include "namedRow.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace sorvane {

void PrintTo(const MovieHeader& header, std::ostream* out)
{
    *out << SignatureOf(header.compression) << " v" << int{header.version} << " length " << header.fileLength
         << " stage " << header.stage.xMin << ' ' << header.stage.xMax << ' ' << header.stage.yMin << ' '
         << header.stage.yMax << " rate " << header.frameRate << " frames " << header.frameCount << ' '
         << NameOf(header.machine);
}

namespace {

using testmovie::MovieBytes;
using testmovie::TestMovie;

const std::string RedTags = testmovie::BackgroundMovieTags(0xFF, 0, 0);

// What the reader should find in MovieBytes(movie).
MovieHeader HeaderOf(const TestMovie& movie)
{
    TestMovie uncompressed = movie;
    uncompressed.compression = MovieCompression::None;
    return {movie.compression, movie.version,   static_cast<std::uint32_t>(MovieBytes(uncompressed).size()),
            movie.stage,       movie.frameRate, movie.frameCount};
}

// The movie the browser tests show, written out byte by byte.
TEST(MovieHeader, HandWrittenRedMovieIsReadAndIsWhatTheWriterWrites)
{
    const std::string bytes("FWS\x0A\x1E\x00\x00\x00"                // signature, version 10, 30 bytes
                            "\x78\x00\x05\x5F\x00\x00\x0F\xA0\x00"   // 15-bit fields: 0 11000 0 8000
                            "\x00\x0C\x01\x00"                       // 12 frames a second, one frame
                            "\x43\x02\xFF\x00\x00\x40\x00\x00\x00",  // red background, show, end
                            30);
    EXPECT_EQ(bytes, MovieBytes({.tags = RedTags}));
    const auto header = ParseMovieHeader(bytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(*header, (MovieHeader{MovieCompression::None, 10, 30, {0, 11000, 0, 8000}, 0x0C00, 1}));
    EXPECT_EQ(StageSizeOf(header->stage), (StageSize{550, 400}));
}

struct MovieRow : testkit::NamedRow {
    TestMovie movie;
};

class MovieHeaderOf : public ::testing::TestWithParam<MovieRow> {};

TEST_P(MovieHeaderOf, IsReadWhole)
{
    EXPECT_EQ(ParseMovieHeader(MovieBytes(GetParam().movie)), HeaderOf(GetParam().movie));
}

// A movie cut anywhere gives either nothing or its true header: nothing
// before the header's last byte (for a compressed one, before the bytes that
// decompress to it), the header from there on.
TEST_P(MovieHeaderOf, CutAtEveryByteGivesNothingUntilTheHeaderIsWhole)
{
    const std::string bytes = MovieBytes(GetParam().movie);
    const MovieHeader whole = HeaderOf(GetParam().movie);
    std::size_t firstKnown = bytes.size() + 1;
    for (std::size_t length = 0; length <= bytes.size(); ++length) {
        const auto header = ParseMovieHeader(std::string_view(bytes).substr(0, length));
        if (header) {
            EXPECT_EQ(*header, whole) << "cut at " << length;
            firstKnown = std::min(firstKnown, length);
        } else {
            EXPECT_GT(firstKnown, length) << "nothing at " << length << " after the header at " << firstKnown;
        }
    }
    EXPECT_LE(firstKnown, bytes.size());
    if (GetParam().movie.compression == MovieCompression::None) {
        EXPECT_EQ(firstKnown, bytes.size() - GetParam().movie.tags.size());
    }
}

constexpr std::int32_t Largest31 = (1 << 30) - 1, Smallest31 = -(1 << 30);

INSTANTIATE_TEST_SUITE_P(
    Movies, MovieHeaderOf,
    ::testing::Values(MovieRow{{"Uncompressed"}, {.tags = RedTags}},
                      MovieRow{{"Zlib"}, {.compression = MovieCompression::Zlib, .tags = RedTags}},
                      MovieRow{{"Lzma"}, {.compression = MovieCompression::Lzma, .version = 13, .tags = RedTags}},
                      MovieRow{{"NoFieldBitsZeroStage"}, {.stage = {}, .rectFieldBits = 0}},
                      MovieRow{{"OneBitFields"},
                               {.compression = MovieCompression::Zlib, .stage = {0, -1, -1, 0}, .rectFieldBits = 1}},
                      MovieRow{{"WidestFieldsLzma"},
                               {.compression = MovieCompression::Lzma,
                                .stage = {Smallest31, Largest31, -7, Largest31},
                                .rectFieldBits = 31}},
                      MovieRow{{"OddFieldWidthAndOffsetStage"},
                               {.compression = MovieCompression::Zlib,
                                .stage = {140, 140 + 11000, -60, 8000 - 60},
                                .rectFieldBits = 17}},
                      MovieRow{{"WiderFieldsThanNeeded"}, {.stage = {0, 20, 0, 20}, .rectFieldBits = 23}},
                      MovieRow{{"LastFieldsOfEveryKind"},
                               {.compression = MovieCompression::Lzma,
                                .version = 255,
                                .frameRate = 0x1DF8,
                                .frameCount = 0xFFFF,
                                .tags = RedTags}}),
    testkit::RowName<MovieRow>);

// Something else than a movie's start: never a header.
struct ForeignRow : testkit::NamedRow {
    std::string bytes;
};

class ForeignBytes : public ::testing::TestWithParam<ForeignRow> {};

TEST_P(ForeignBytes, GiveNoHeader)
{
    EXPECT_EQ(ParseMovieHeader(GetParam().bytes), std::nullopt);
}

std::string Patched(std::string bytes, std::size_t at, std::string_view with)
{
    return bytes.replace(at, with.size(), with);
}

const std::string ZlibMovie = MovieBytes({.compression = MovieCompression::Zlib, .tags = RedTags});
const std::string LzmaMovie = MovieBytes({.compression = MovieCompression::Lzma, .tags = RedTags});

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignBytes,
    ::testing::Values(ForeignRow{{"Empty"}, ""}, ForeignRow{{"SignatureOnly"}, "FWS"},
                      ForeignRow{{"LowerCaseSignature"}, Patched(MovieBytes({}), 0, "fws")},
                      ForeignRow{{"GifPicture"}, "GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\xFF\xFF\x00\x00\x00!\xF9\x04"},
                      ForeignRow{{"WebPage"}, "<html><body><object></object></body></html>"},
                      ForeignRow{{"ZlibSignatureOverPlainBody"}, Patched(MovieBytes({}), 0, "CWS")},
                      ForeignRow{{"ZlibStreamWithBadHeaderCheck"}, Patched(ZlibMovie, 9, "\x02")},
                      ForeignRow{{"LzmaPropertiesOutOfRange"}, Patched(LzmaMovie, 12, "\xFF")},
                      ForeignRow{{"LzmaWithoutStream"}, LzmaMovie.substr(0, 17)}),
    testkit::RowName<ForeignRow>);

// A foreign file may claim any dictionary; the header never needs more than
// its first few bytes, so it is read all the same.
TEST(MovieHeader, LzmaDictionaryClaimIsNotNeeded)
{
    const auto header = ParseMovieHeader(Patched(LzmaMovie, 13, "\xFF\xFF\xFF\xFF"));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->stage, (StageRect{0, 11000, 0, 8000}));
}

// Bytes that zlib cannot make smaller.
std::string NoiseBytes(std::size_t count)
{
    std::string bytes(count, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes)
        byte = static_cast<char>((state = state * 1103515245 + 12345) >> 24);
    return bytes;
}

TEST(MovieHeader, StreamIsLeftSoonAfterTheHeaderOfALongMovie)
{
    std::istringstream in(MovieBytes({.compression = MovieCompression::Zlib, .tags = NoiseBytes(1 << 20)}));
    ASSERT_TRUE(ReadMovieHeader(in));
    EXPECT_LT(in.tellg(), 16 * 1024);
}

// ------------------------------------------------------ ActionScript machine --

struct MachineRow : testkit::NamedRow {
    std::string firstTags;  // before the red background's tags
    ActionScriptMachine machine;
};

class MachineOfMovie : public ::testing::TestWithParam<MachineRow> {};

TEST_P(MachineOfMovie, IsReadFromTheFirstTagOfEveryKindOfMovie)
{
    for (const MovieCompression compression :
         {MovieCompression::None, MovieCompression::Zlib, MovieCompression::Lzma}) {
#ifdef SORVANE_WITHOUT_LZMA
        if (compression == MovieCompression::Lzma)
            continue;
#endif
        const auto header = ParseMovieHeader(
            MovieBytes({.compression = compression, .tags = GetParam().firstTags + RedTags}));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->machine, GetParam().machine) << SignatureOf(compression);
        EXPECT_EQ(header->stage, (StageRect{0, 11000, 0, 8000}));
    }
}

// FileAttributes (69): four bytes of flags, ActionScript 3 is bit 3 of the first.
INSTANTIATE_TEST_SUITE_P(
    Tags, MachineOfMovie,
    ::testing::Values(
        MachineRow{{"ActionScript3Flag"}, std::string("\x44\x11\x08\x00\x00\x00", 6), ActionScriptMachine::Avm2},
        MachineRow{{"AllFlags"}, std::string("\x44\x11\xFF\xFF\xFF\xFF", 6), ActionScriptMachine::Avm2},
        MachineRow{
            {"LongTagHeader"}, std::string("\x7F\x11\x04\x00\x00\x00\x08\x00\x00\x00", 10), ActionScriptMachine::Avm2},
        MachineRow{{"OtherFlagsOnly"}, std::string("\x44\x11\x11\x00\x00\x00", 6), ActionScriptMachine::Avm1},
        MachineRow{{"NoFileAttributes"}, "", ActionScriptMachine::Avm1},
        MachineRow{{"FlagInAnotherTag"}, std::string("\x44\x10\x08\x00\x00\x00", 6), ActionScriptMachine::Avm1},
        MachineRow{{"CutInTheTag"}, std::string("\x44\x11", 2), ActionScriptMachine::Avm1}),
    testkit::RowName<MachineRow>);

struct SizeRow : testkit::NamedRow {
    StageRect stage;
    std::optional<StageSize> size;
};

class StageSizeOfRect : public ::testing::TestWithParam<SizeRow> {};

TEST_P(StageSizeOfRect, IsWholePixels)
{
    EXPECT_EQ(StageSizeOf(GetParam().stage), GetParam().size);
}

INSTANTIATE_TEST_SUITE_P(Stages, StageSizeOfRect,
                         ::testing::Values(SizeRow{{"Plain"}, {0, 11000, 0, 8000}, StageSize{550, 400}},
                                           SizeRow{{"Offset"}, {-200, 10800, 400, 8400}, StageSize{550, 400}},
                                           SizeRow{{"HalvesRoundUp"}, {0, 10990, 0, 8009}, StageSize{550, 400}},
                                           SizeRow{{"UnderHalfAPixelIsNone"}, {0, 9, 0, 8000}, std::nullopt},
                                           SizeRow{{"ZeroIsNone"}, {0, 11000, 0, 0}, std::nullopt},
                                           SizeRow{{"BackwardsIsNone"}, {11000, 0, 0, 8000}, std::nullopt},
                                           SizeRow{{"WidestWithoutOverflow"},
                                                   {Smallest31, Largest31, Smallest31, Largest31},
                                                   StageSize{107374182, 107374182}}),
                         testkit::RowName<SizeRow>);

TEST(MovieHeader, StageSizeOfAFileIsKnownOnlyForAMovie)
{
    testkit::TempFolder folder;
    testkit::WriteFile(folder / "intro.swf", MovieBytes({.compression = MovieCompression::Zlib}));
    testkit::WriteFile(folder / "page.htm", "<html></html>");
    EXPECT_EQ(MovieStageSize(folder / "intro.swf"), (StageSize{550, 400}));
    EXPECT_EQ(MovieStageSize(folder / "page.htm"), std::nullopt);
    EXPECT_EQ(MovieStageSize(folder / "gone.swf"), std::nullopt);
    EXPECT_EQ(MovieStageSize(folder.path().string()), std::nullopt);
}

// A movie cut short still is one; a page or a text named .swf is not.
TEST(MovieHeader, SignatureOfAFileIsAMoviesOnlyForAMovie)
{
    testkit::TempFolder folder;
    testkit::WriteFile(folder / "intro.swf", MovieBytes({.compression = MovieCompression::Lzma}));
    testkit::WriteFile(folder / "short.swf", "FWS");
    testkit::WriteFile(folder / "notes.swf", "fws: lower case is text");
    testkit::WriteFile(folder / "empty.swf", "");
    EXPECT_TRUE(HasMovieSignature(folder / "intro.swf"));
    EXPECT_TRUE(HasMovieSignature(folder / "short.swf"));
    EXPECT_FALSE(HasMovieSignature(folder / "notes.swf"));
    EXPECT_FALSE(HasMovieSignature(folder / "empty.swf"));
    EXPECT_FALSE(HasMovieSignature(folder / "gone.swf"));
    EXPECT_FALSE(HasMovieSignature(folder.path().string()));
}

}  // namespace
}  // namespace sorvane
