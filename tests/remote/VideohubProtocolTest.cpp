// The protocol reader, the request parsing and the server's block writers.

#include "remote/VideohubProtocol.h"
#include "remote/VideohubRequest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mc::remote {
namespace {

using namespace std::string_literals;

std::vector<ReadItem> readAll(BlockReader& reader, std::string_view bytes) {
    std::vector<ReadItem> items;
    while (auto item = reader.read(bytes))
        items.push_back(std::move(*item));
    return items;
}

// Feeds `bytes` one at a time: every split point of a stream.
std::vector<ReadItem> readBytewise(std::string_view bytes) {
    BlockReader reader;
    std::vector<ReadItem> items;
    for (char c : bytes) {
        std::string_view one(&c, 1);
        if (auto item = reader.read(one)) items.push_back(std::move(*item));
        EXPECT_TRUE(one.empty());
    }
    return items;
}

Request parse(std::string_view text, int inputs = 8, int outputs = 4) {
    BlockReader reader;
    auto items = readAll(reader, text);
    EXPECT_EQ(items.size(), 1u);
    return items.empty() ? Request{} : parseRequest(items.front(), inputs, outputs);
}

TEST(BlockReader, BlocksInAnyChunksWithLfOrCrLf) {
    const std::string stream =
        "\n\nVIDEO OUTPUT ROUTING:\r\n7 2\r\n0 1\r\n\r\nPING:\n\n\nINPUT LABELS:\n\n";
    BlockReader whole;
    for (const auto& items : {readAll(whole, stream), readBytewise(stream)}) {
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].block.header, "VIDEO OUTPUT ROUTING");
        EXPECT_EQ(items[0].block.lines, (std::vector<std::string>{"7 2", "0 1"}));
        EXPECT_EQ(items[1].block.header, "PING");
        EXPECT_TRUE(items[2].block.lines.empty());
        for (const auto& item : items)
            EXPECT_FALSE(item.error);
    }
    BlockReader partial;
    std::string_view start = "OUTPUT LABELS:\n1 A";
    EXPECT_FALSE(partial.read(start));
    EXPECT_TRUE(partial.inBlock());
    std::string_view end = "B\n\n";
    auto item = partial.read(end);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->block.lines, std::vector<std::string>{"1 AB"});
}

TEST(BlockReader, JunkIsIgnoredOrRefusedAndTheReaderResynchronises) {
    BlockReader reader;
    const std::string stream = "INPUT LABELS:\n1 a\0b\n2 \xC3\x28\n3 ok\n\n"s +
                               "\x01\x02\xFF:\njunk\n\n" + "lower case:\n\nPING:\n\n";
    auto items = readAll(reader, stream);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].block.lines, std::vector<std::string>{"3 ok"});
    EXPECT_EQ(items[0].block.ignoredLines, 2u);
    EXPECT_EQ(items[1].error, ReadError::BadHeader);
    EXPECT_EQ(items[2].error, ReadError::BadHeader);
    EXPECT_EQ(items[3].block.header, "PING");
}

TEST(BlockReader, LimitsOfLineAndBlock) {
    BlockReader reader;
    const std::string longest(BlockReader::kMaxLineBytes - 2, 'x');
    auto items = readAll(reader, "OUTPUT LABELS:\n0 " + longest + "\r\n\n");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].error);

    // One byte more, and a megabyte without any line end: refused, then in step again.
    items = readAll(reader, "OUTPUT LABELS:\n0 " + longest + "x\n\n" + std::string(1 << 20, '\0') +
                                "\n\nPING:\n\n");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].error, ReadError::LineTooLong);
    EXPECT_TRUE(items[0].block.lines.empty());
    EXPECT_EQ(items[1].error, ReadError::LineTooLong);
    EXPECT_EQ(items[2].block.header, "PING");

    std::string block = "VIDEO OUTPUT ROUTING:\n";
    for (std::size_t i = 0; i < BlockReader::kMaxBlockLines; ++i)
        block += "0 0\n";
    items = readAll(reader, block + "\n" + block + "0 0\n\n");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].block.lines.size(), BlockReader::kMaxBlockLines);
    EXPECT_EQ(items[1].error, ReadError::TooManyLines);

    const std::string label(4000, 'y');
    block = "INPUT LABELS:\n";
    for (int i = 0; i < 70; ++i)
        block += "0 " + label + "\n";
    items = readAll(reader, block + "\n");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].error, ReadError::BlockTooLarge);
}

TEST(CleanText, Utf8AndControlCharacters) {
    EXPECT_TRUE(isCleanText("Kamera 1\t\xE4\xBD\xA0\xE5\xA5\xBD \xF0\x9F\x8E\xA5"));
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE4\xBD", "\x80",
                            "a\x7F", "a\rb", "\x1B[2J"}) {
        EXPECT_FALSE(isCleanText(bad)) << bad;
    }
    EXPECT_EQ(lineSafe("a\nb\xFF\xE4\xBD\xA0"), "a b?\xE4\xBD\xA0");
}

TEST(Writers, BlocksAsTheClientReadsThem) {
    EXPECT_EQ(preambleBlock(), "PROTOCOL PREAMBLE:\nVersion: 2.8\n\n");
    EXPECT_EQ(deviceBlock({true, "matrix-control M", "Hall", "00000000002A", 8, 4}),
              "VIDEOHUB DEVICE:\nDevice present: true\nModel name: matrix-control M\n"
              "Friendly name: Hall\nUnique ID: 00000000002A\nVideo inputs: 8\n"
              "Video processing units: 0\nVideo outputs: 4\nVideo monitoring outputs: 0\n"
              "Serial ports: 0\n\n");
    EXPECT_EQ(deviceBlock({false, "m", "f", "u", 8, 4}),
              "VIDEOHUB DEVICE:\nDevice present: false\n\n");
    EXPECT_EQ(labelsBlock(kOutputLabels, {{0, "Main"}, {3, "two\r\nlines"}, {5, ""}}),
              "OUTPUT LABELS:\n0 Main\n3 two  lines\n5 \n\n");
    EXPECT_EQ(locksBlock({{0, LockView::Own}, {1, LockView::Other}, {2, LockView::Unlocked}}),
              "VIDEO OUTPUT LOCKS:\n0 O\n1 L\n2 U\n\n");
    EXPECT_EQ(routingBlock({{7, 2}}), "VIDEO OUTPUT ROUTING:\n7 2\n\n");
    EXPECT_EQ(routingBlock({}), "VIDEO OUTPUT ROUTING:\n\n");
    EXPECT_EQ(configurationBlock(false) + endPreludeBlock() + ackBlock() + nakBlock(),
              "CONFIGURATION:\nTake Mode: false\n\nEND PRELUDE:\n\nACK\n\nNAK\n\n");
}

TEST(ParseRequest, RoutesKeepOrderAndSkipWhatIsNotUsable) {
    const Request routes = parse(
        "VIDEO OUTPUT ROUTING:\n3 7\n4 0\n0 8\n-1 0\n0 -2\nx 1\n1 1 1\n"
        "2 -1\n3 0\n\n");
    ASSERT_EQ(routes.kind, Request::Kind::Change);
    ASSERT_EQ(routes.routes.size(), 3u);
    EXPECT_EQ(routes.routes[0].output, 3);
    EXPECT_EQ(routes.routes[0].input, 7);
    EXPECT_EQ(routes.routes[1].input, -1);
    EXPECT_EQ(routes.routes[2].input, 0);

    EXPECT_EQ(parse("VIDEO OUTPUT ROUTING:\n9 9\nfoo\n\n").kind, Request::Kind::Nak);
    EXPECT_EQ(parse("VIDEO OUTPUT ROUTING:\n1 \xFF\n\n").kind, Request::Kind::Nak);
    const Request dump = parse("VIDEO OUTPUT LOCKS:\n\n");
    EXPECT_EQ(dump.kind, Request::Kind::Dump);
    EXPECT_EQ(dump.type, BlockType::Locks);
    EXPECT_EQ(parse("PING:\n\n").kind, Request::Kind::Ping);
    EXPECT_EQ(parse("VIDEO INPUT ROUTING:\n0 1\n\n").kind, Request::Kind::Nak);
    EXPECT_EQ(parse("VIDEOHUB DEVICE:\nDevice present: false\n\n").kind, Request::Kind::Nak);
}

TEST(ParseRequest, LabelsLocksAndConfiguration) {
    const Request labels = parse("INPUT LABELS:\n7 Camera  2 \n0 \n1\n8 Nope\n\n");
    ASSERT_EQ(labels.kind, Request::Kind::Change);
    ASSERT_EQ(labels.labels.size(), 3u);
    EXPECT_EQ(labels.labels[0].label, "Camera  2 ");
    EXPECT_EQ(labels.labels[1].label, "");
    EXPECT_EQ(labels.labels[2].port, 1);
    EXPECT_EQ(parse("OUTPUT LABELS:\n7 Too far\n\n").kind, Request::Kind::Nak);

    const Request locks = parse("VIDEO OUTPUT LOCKS:\n0 O\n1 U\n2 F\n3 L\n3 o\n\n");
    ASSERT_EQ(locks.locks.size(), 3u);
    EXPECT_EQ(locks.locks[0].request, LockRequest::Lock);
    EXPECT_EQ(locks.locks[1].request, LockRequest::Unlock);
    EXPECT_EQ(locks.locks[2].request, LockRequest::ForceUnlock);

    EXPECT_EQ(parse("CONFIGURATION:\nTake Mode: false\n\n").takeMode, false);
    EXPECT_EQ(parse("CONFIGURATION:\nTake Mode: true\n\n").takeMode, true);
    EXPECT_EQ(parse("CONFIGURATION:\nTake Mode: maybe\n\n").kind, Request::Kind::Nak);
    EXPECT_EQ(parse("CONFIGURATION:\nColour: blue\n\n").kind, Request::Kind::Nak);
}

}  // namespace
}  // namespace mc::remote
