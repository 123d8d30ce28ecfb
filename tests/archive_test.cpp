// The resource archive: byte layout, lookup rules and damaged files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "child_run.h"
#include "formats/archive.h"
#include "formats/archive_tool.h"
#include "formats_test_util.h"
#include "graphics/archive_texture.h"
#include "platform/system.h"

namespace {

void PutU32(std::vector<uint8_t>* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(uint8_t(v >> (8 * i)));
}

// Entries built by hand, independent of the writer under test.
void PutHeader(std::vector<uint8_t>* out, const std::string& name, uint32_t dataSize) {
    PutU32(out, uint32_t(name.size()));
    for (size_t i = 0; i < name.size(); ++i) out->push_back(uint8_t(name[i]) ^ uint8_t(i));
    PutU32(out, dataSize);
}

void PutEntry(std::vector<uint8_t>* out, const std::string& name, const std::vector<uint8_t>& data) {
    PutHeader(out, name, uint32_t(data.size()));
    for (size_t i = 0; i < data.size(); ++i) out->push_back(data[i] ^ uint8_t(i));
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// The entry's plain data, or "<missing>".
std::string Lookup(const std::string& archive, const char* name) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!ReadArchiveEntry(archive.c_str(), name, &data, &size)) return "<missing>";
    std::string text(reinterpret_cast<char*>(data), size);
    delete[] data;
    return text;
}

TEST(ArchiveFormat, WriterScramblesNameAndDataByPosition) {
    ScratchDir dir;
    const std::string path = dir.File("a.arx");
    std::vector<uint8_t> data(300);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(0xA5 + i * 7);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(WriteArchiveEntry(f, "abc", data.data(), uint32_t(data.size())));
    ASSERT_TRUE(WriteArchiveEntry(f, "x", data.data(), 1));
    std::fclose(f);
    const std::vector<uint8_t> raw = ReadBytes(path);
    ASSERT_EQ(raw.size(), 4u + 3 + 4 + 300 + 4 + 1 + 4 + 1);
    // "abc" is stored as 61 63 61: b ^ 1 = c, c ^ 2 = a.
    const std::vector<uint8_t> head(raw.begin(), raw.begin() + 11);
    EXPECT_EQ(head, (std::vector<uint8_t>{3, 0, 0, 0, 0x61, 0x63, 0x61, 0x2C, 0x01, 0, 0}));
    // The data's key restarts at its own first byte and wraps every 256 bytes
    // (the writer scrambles in chunks, so the wrap is where a bug would show).
    for (size_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(raw[11 + i], uint8_t(data[i] ^ uint8_t(i))) << "data byte " << i;
    // A one-letter name is stored as it is (position 0 XORs with 0).
    EXPECT_EQ(raw[311], 1);
    EXPECT_EQ(raw[315], 'x');
    EXPECT_EQ(raw[320], data[0]);
}

TEST(ArchiveFormat, ScrambleTwiceGivesThePlainBytes) {
    std::vector<uint8_t> bytes(700);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 31 + 5);
    std::vector<uint8_t> copy = bytes;
    ScrambleBytes(copy.data(), uint32_t(copy.size()));
    EXPECT_NE(copy, bytes);
    EXPECT_EQ(copy[257], uint8_t(bytes[257] ^ 1));
    ScrambleBytes(copy.data(), uint32_t(copy.size()));
    EXPECT_EQ(copy, bytes);
}

TEST(ArchiveLookup, ExactNameFirstMatchAndCase) {
    ScratchDir dir;
    const std::string path = dir.File("images.arx");
    std::vector<uint8_t> raw;
    PutEntry(&raw, "cursor.png", Bytes("first"));
    PutEntry(&raw, "xcursor.png", Bytes("longer name"));
    PutEntry(&raw, "Hiscore Record !.png", Bytes("spaces"));
    PutEntry(&raw, "cursor.png", Bytes("second"));
    PutEntry(&raw, "empty.bmp", {});
    WriteBytes(path, raw);
    EXPECT_EQ(Lookup(path, "cursor.png"), "first");  // the first in file order wins
    EXPECT_EQ(Lookup(path, "Hiscore Record !.png"), "spaces");
    EXPECT_EQ(Lookup(path, "xcursor.png"), "longer name");
    // Neither a prefix, nor a longer name, nor another case matches.
    EXPECT_EQ(Lookup(path, "cursor"), "<missing>");
    EXPECT_EQ(Lookup(path, "cursor.pngx"), "<missing>");
    EXPECT_EQ(Lookup(path, "Cursor.png"), "<missing>");
    EXPECT_EQ(Lookup(path, "ursor.png"), "<missing>");
    EXPECT_EQ(Lookup(path, ""), "<missing>");
    EXPECT_EQ(Lookup(path, "empty.bmp"), "");
}

TEST(ArchiveLookup, WantedNameInsideALongerStoredNameIsSkipped) {
    // "beam.x" occurs inside the first stored name: the scan must skip that
    // entry's data by its size and find the real one behind it.
    ScratchDir dir;
    const std::string path = dir.File("xfiles.arx");
    std::vector<uint8_t> raw;
    std::vector<uint8_t> big(70000, 0x42);
    PutEntry(&raw, "bigbeam.x", big);
    PutEntry(&raw, "beam.x", Bytes("xof 0303txt 0032"));
    WriteBytes(path, raw);
    EXPECT_EQ(Lookup(path, "beam.x"), "xof 0303txt 0032");
}

TEST(ArchiveLookup, EmptyMissingAndDamagedArchivesReportMissing) {
    ScratchDir dir;
    const std::string empty = dir.File("empty.arx");
    WriteBytes(empty, {});
    EXPECT_EQ(Lookup(empty, "a.png"), "<missing>");
    EXPECT_EQ(Lookup(dir.File("no-such.arx"), "a.png"), "<missing>");
    EXPECT_EQ(Lookup(dir.Path(), "a.png"), "<missing>");  // a directory is no archive

    struct Case {
        const char* what;
        std::vector<uint8_t> raw;
    };
    std::vector<Case> cases;
    {
        std::vector<uint8_t> r;
        PutU32(&r, 0);  // zero-length name
        PutU32(&r, 0);
        cases.push_back({"name length 0", r});
    }
    {
        std::vector<uint8_t> r;
        PutU32(&r, 64);  // one more than the 64-byte name buffer holds with its terminator
        r.insert(r.end(), 64, 'a');
        PutU32(&r, 1);
        r.push_back('z');
        cases.push_back({"name length 64", r});
    }
    {
        std::vector<uint8_t> r;
        PutU32(&r, 0xFFFFFFFFu);
        cases.push_back({"name length 2^32-1", r});
    }
    {
        std::vector<uint8_t> r;
        PutEntry(&r, "a.png", Bytes("0123456789"));
        r.resize(r.size() - 1);  // the wanted entry's data runs past the end
        cases.push_back({"wanted data cut", r});
    }
    {
        std::vector<uint8_t> r;
        // A size far past the end: must not be allocated or skipped over.
        PutHeader(&r, "b.png", 0xFFFFFFF0u);
        PutEntry(&r, "a.png", Bytes("behind"));
        cases.push_back({"earlier data size past the end", r});
    }
    {
        std::vector<uint8_t> r = {2, 0};  // a cut length field
        cases.push_back({"cut length", r});
    }
    for (const Case& c : cases) {
        const std::string path = dir.File("damaged.arx");
        WriteBytes(path, c.raw);
        uint8_t* data = reinterpret_cast<uint8_t*>(&dir);  // must stay untouched on failure
        uint32_t size = 1234;
        EXPECT_FALSE(ReadArchiveEntry(path.c_str(), "a.png", &data, &size)) << c.what;
        EXPECT_EQ(data, reinterpret_cast<uint8_t*>(&dir)) << c.what;
        EXPECT_EQ(size, 1234u) << c.what;
        EXPECT_EQ(ScanArchive(path.c_str(), [](const char*, uint32_t, uint32_t, void*) { return true; }, nullptr),
                  ArchiveScan::Damaged)
            << c.what;
    }
}

TEST(ArchiveLookup, EntriesBeforeTheDamageAreStillFound) {
    // The game stops scanning only where it has to: an entry in front of a
    // damaged one is still read.
    ScratchDir dir;
    const std::string path = dir.File("part.arx");
    std::vector<uint8_t> raw;
    PutEntry(&raw, "ok.png", Bytes("fine"));
    PutU32(&raw, 200);
    WriteBytes(path, raw);
    EXPECT_EQ(Lookup(path, "ok.png"), "fine");
    EXPECT_EQ(Lookup(path, "other.png"), "<missing>");
}

TEST(ArchiveTool, PackListExtractRoundTrip) {
    ScratchDir dir;
    WriteText(dir.File("cursor.png"), "PNG-ish bytes");
    std::filesystem::create_directory(dir.File("sub"));
    WriteText(dir.File("sub/Hiscore Record !.png"), std::string(1000, '\x7f'));
    WriteText(dir.File("empty.bmp"), "");
    const std::string arc = dir.File("out.arx");
    std::string a0 = "arx", a1 = "pack", a2 = arc, a3 = dir.File("cursor.png"),
                a4 = dir.File("sub/Hiscore Record !.png"), a5 = dir.File("empty.bmp");
    char* packArgs[] = {a0.data(), a1.data(), a2.data(), a3.data(), a4.data(), a5.data()};
    CapturedOutput out, err;
    ASSERT_EQ(ArchiveToolMain(6, packArgs, out.File(), err.File()), 0) << err.Text();
    EXPECT_FALSE(std::filesystem::exists(arc + ".tmp"));
    // The base name, not the path, is the entry name, in argument order.
    EXPECT_EQ(Lookup(arc, "Hiscore Record !.png"), std::string(1000, '\x7f'));
    EXPECT_EQ(Lookup(arc, "sub/Hiscore Record !.png"), "<missing>");

    std::string l1 = "list";
    char* listArgs[] = {a0.data(), l1.data(), a2.data()};
    CapturedOutput listed;
    ASSERT_EQ(ArchiveToolMain(3, listArgs, listed.File(), err.File()), 0);
    EXPECT_EQ(listed.Text(), "cursor.png\t13\nHiscore Record !.png\t1000\nempty.bmp\t0\n");

    std::string e1 = "extract", e3 = "cursor.png", e4 = dir.File("back.png");
    char* extractArgs[] = {a0.data(), e1.data(), a2.data(), e3.data(), e4.data()};
    ASSERT_EQ(ArchiveToolMain(5, extractArgs, out.File(), err.File()), 0);
    EXPECT_EQ(ReadBytes(e4), Bytes("PNG-ish bytes"));
    std::string missing = "nothere.png";
    char* missingArgs[] = {a0.data(), e1.data(), a2.data(), missing.data(), e4.data()};
    CapturedOutput missingErr;
    EXPECT_EQ(ArchiveToolMain(5, missingArgs, out.File(), missingErr.File()), 1);
    EXPECT_NE(missingErr.Text().find("no entry named \"nothere.png\""), std::string::npos);
}

TEST(ArchiveTool, RefusesNamesTooLongAndKeepsTheOldArchive) {
    ScratchDir dir;
    const std::string arc = dir.File("keep.arx");
    WriteText(arc, "old archive");
    const std::string longName = dir.File(std::string(64, 'n'));
    WriteText(longName, "x");
    std::string a0 = "arx", a1 = "pack", a2 = arc, a3 = longName, a4 = dir.File("missing.png");
    char* args[] = {a0.data(), a1.data(), a2.data(), a3.data()};
    CapturedOutput out, err;
    EXPECT_EQ(ArchiveToolMain(4, args, out.File(), err.File()), 1);
    char* args2[] = {a0.data(), a1.data(), a2.data(), a4.data()};
    EXPECT_EQ(ArchiveToolMain(4, args2, out.File(), err.File()), 1);
    EXPECT_EQ(ReadBytes(arc), Bytes("old archive"));
    EXPECT_FALSE(std::filesystem::exists(arc + ".tmp"));
    // Listing a damaged archive fails and says so.
    std::string l1 = "list";
    char* listArgs[] = {a0.data(), l1.data(), a2.data()};
    CapturedOutput listErr;
    EXPECT_EQ(ArchiveToolMain(3, listArgs, out.File(), listErr.File()), 1);
    EXPECT_NE(listErr.Text().find("damaged"), std::string::npos);
}

// Names of a damaged archive may hold any byte: control characters are
// printed escaped, never raw; the damage is placed after the entries the
// scan really read (the count was once taken before the scan ran).
TEST(ArchiveTool, NamesAreEscapedAndTheDamageIsPlacedAfterTheEntriesRead) {
    ScratchDir dir;
    std::vector<uint8_t> raw;
    PutEntry(&raw, "ok.png", Bytes("x"));
    PutEntry(&raw, "bad\nname\x1b\\.png", Bytes("yy"));
    PutEntry(&raw, std::string("z\0z", 3), {});
    PutU32(&raw, 5);  // a cut entry
    raw.insert(raw.end(), {'a', 'b'});
    const std::string arc = dir.File("names.arx");
    WriteBytes(arc, raw);
    std::string a0 = "arx", a1 = "list", a2 = arc, e1 = "extract", e3 = "none.png", e4 = dir.File("out");
    char* listArgs[] = {a0.data(), a1.data(), a2.data()};
    CapturedOutput out, err;
    EXPECT_EQ(ArchiveToolMain(3, listArgs, out.File(), err.File()), 1);
    EXPECT_EQ(out.Text(), "ok.png\t1\nbad\\x0aname\\x1b\\\\.png\t2\nz\\x00z\t0\n");
    EXPECT_EQ(err.Text(), "arx: " + arc + " is damaged after entry 3\n");
    char* extractArgs[] = {a0.data(), e1.data(), a2.data(), e3.data(), e4.data()};
    CapturedOutput extractErr;
    EXPECT_EQ(ArchiveToolMain(5, extractArgs, out.File(), extractErr.File()), 1);
    EXPECT_EQ(extractErr.Text(), "arx: " + arc + " is damaged after entry 3\n");
    EXPECT_FALSE(std::filesystem::exists(e4));
}

// The tool streams: packing and extracting an entry larger than the memory
// the process may take (the whole entry was once held in memory), in blocks
// whose scrambling must line up. Checked in a child process whose data
// segment is held to 24 MB above what it uses; not under AddressSanitizer,
// which needs more.
TEST(ArchiveTool, PackAndExtractStreamEntriesLargerThanTheMemoryAllowed) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves memory of its own";
#endif
    ScratchDir dir;
    const std::string input = dir.File("big.bin"), arc = dir.File("big.arx"), back = dir.File("back.bin");
    std::vector<uint8_t> block(1 << 20);
    {
        std::FILE* f = std::fopen(input.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        for (int mb = 0; mb < 40; ++mb) {
            for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i * 7 + mb + i / 251);
            std::fwrite(block.data(), 1, block.size(), f);
        }
        std::fwrite("tail", 1, 3, f);  // not a multiple of any block
        std::fclose(f);
    }
    const int status = RunInChild(
        [&] {
            long dataKb = 0;
            std::FILE* s = std::fopen("/proc/self/status", "r");
            char line[256];
            while (s && std::fgets(line, sizeof line, s))
                if (std::sscanf(line, "VmData: %ld kB", &dataKb) == 1) break;
            if (s) std::fclose(s);
            const rlim_t cap = rlim_t(dataKb + 24 * 1024) * 1024;
            struct rlimit limit = {cap, cap};
            if (dataKb == 0 || setrlimit(RLIMIT_DATA, &limit) != 0) return 10;
            std::string a0 = "arx", p1 = "pack", p2 = arc, p3 = input, e1 = "extract", e3 = "big.bin", e4 = back;
            char* pack[] = {a0.data(), p1.data(), p2.data(), p3.data()};
            char* extract[] = {a0.data(), e1.data(), p2.data(), e3.data(), e4.data()};
            if (ArchiveToolMain(4, pack, stdout, stderr) != 0) return 1;
            if (ArchiveToolMain(5, extract, stdout, stderr) != 0) return 2;
            return 0;
        },
        60);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(std::filesystem::file_size(back), 40u * (1 << 20) + 3);
    EXPECT_TRUE(ReadBytes(back) == ReadBytes(input));
    std::filesystem::remove(arc);  // also keeps the scratch folder's size down
}

}  // namespace
