// Command records and the command queue, used from one thread.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "FrameTestUtil.h"
#include "protocol/QXRClass.h"

namespace mc {
namespace {

using test::hexText;

TEST(CommandRecord, SetDataCopiesTheBytes) {
    std::vector<std::uint8_t> buffer = test::hexBytes("EB 52 08 01 03 5E");
    TMatrixCommDataType record;
    record.SetData(buffer.data(), static_cast<std::int32_t>(buffer.size()));
    buffer.assign(buffer.size(), 0x00);
    buffer.clear();
    buffer.shrink_to_fit();
    EXPECT_EQ(hexText(record.Data), "EB 52 08 01 03 5E");
    EXPECT_EQ(record.DataLength, 6);

    // Only the first Length bytes are taken.
    const std::vector<std::uint8_t> longer = test::hexBytes("01 02 03 04");
    record.SetData(longer.data(), 2);
    EXPECT_EQ(hexText(record.Data), "01 02");
    EXPECT_EQ(record.DataLength, 2);
}

TEST(CommandRecord, LengthZeroGivesAnEmptyRecord) {
    TMatrixCommDataType fresh;
    EXPECT_EQ(fresh.DataLength, 0);
    EXPECT_TRUE(fresh.Data.empty());

    const std::uint8_t byte = 0xEB;
    TMatrixCommDataType record;
    record.SetData(&byte, 1);
    record.SetData(&byte, 0);
    EXPECT_EQ(record.DataLength, 0);
    EXPECT_TRUE(record.Data.empty());
    record.SetData(nullptr, 0);
    EXPECT_TRUE(record.Data.empty());
}

TEST(CommandQueue, TakesRecordsInAppendOrder) {
    CommandQueue queue;
    TQXRClass cell;
    cell.SendCloseOutput(queue, 0x52, 1);
    cell.SendCloseOutput(queue, 0x52, 2);
    cell.SendCloseOutput(queue, 0x52, 3);
    EXPECT_EQ(queue.count(), 3u);
    EXPECT_EQ(queue.take()->Data[4], 1);
    EXPECT_EQ(queue.take()->Data[4], 2);
    EXPECT_EQ(queue.take()->Data[4], 3);
    EXPECT_EQ(queue.count(), 0u);
    EXPECT_EQ(queue.take(), nullptr);
}

TEST(CommandQueue, TwoBuildsOnOneCellGiveIndependentRecords) {
    CommandQueue queue;
    TQXRClass cell;
    cell.SendSwitch(queue, 0x52, 2, 0);
    cell.SendCycle(queue, 0x52, {0, 1, 2}, 3, 1);  // resizes and overwrites FrameData
    EXPECT_EQ(hexText(queue.take()->Data), "EB 52 02 02 00 02 58");
    EXPECT_EQ(hexText(queue.take()->Data), "EB 52 09 05 00 01 00 01 02 64");
    cell.SendOnOff(queue, 0x52, true);
    cell.FrameData.assign(cell.FrameData.size(), 0x00);  // the cell's buffer is scratch space
    EXPECT_EQ(hexText(queue.take()->Data), "EB 52 00 01 FF 52");
}

TEST(CommandQueue, CountListenerHearsEveryChangeInOrder) {
    CommandQueue queue;
    std::vector<std::size_t> counts;
    queue.setCountListener([&](std::size_t count) {
        counts.push_back(count);
        EXPECT_EQ(queue.count(), count);  // may read the queue, not change it
    });
    TQXRClass cell;
    cell.SendOnOff(queue, 1, true);
    cell.SendOnOff(queue, 1, true);
    queue.take();
    queue.take();
    queue.take();  // empty: still reported
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2, 1, 0, 0}));
}

// QueueMode::Replace: a network client's route, CommandQueue::appendReplacing.
TEST(CommandQueue, AReplacingRouteTakesThePlaceOfItsOutputsWaitingOneInPlace) {
    CommandQueue queue;
    std::vector<std::size_t> counts;
    queue.setCountListener([&](std::size_t count) { counts.push_back(count); });
    TQXRClass cell;
    cell.SendSwitch(queue, 0x52, 1, 2, QueueMode::Replace);
    cell.SendSwitch(queue, 0x52, 1, 3);  // a click on another output does not stand in the way
    cell.SendCloseOutput(queue, 0x52, 2, QueueMode::Replace);
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2, 2}));
    EXPECT_EQ(hexText(queue.take()->Data), "EB 52 08 01 02 5D");
    EXPECT_EQ(hexText(queue.take()->Data), "EB 52 02 02 03 01 5A");
}

TEST(CommandQueue, AReplacingRouteIsAppendedBehindAnotherKindOrAClickOfItsOutput) {
    CommandQueue queue;
    TQXRClass cell;
    cell.SendSwitch(queue, 0x52, 0, 1, QueueMode::Replace);
    cell.SendLayer(queue, 0x52, 2);
    cell.SendSwitch(queue, 0x52, 1, 1, QueueMode::Replace);
    cell.SendSwitch(queue, 0x52, 2, 1);  // a click
    cell.SendSwitch(queue, 0x52, 3, 1, QueueMode::Replace);
    std::vector<int> inputs;  // -1: the layer frame
    while (auto record = queue.take())
        inputs.push_back(record->Data[2] == 0x02 ? record->Data[5] : -1);
    EXPECT_EQ(inputs, (std::vector<int>{0, -1, 1, 2, 3}));
}

TEST(CommandQueue, WaitTakeReturnsAWaitingRecordAndNullAfterStop) {
    CommandQueue queue;
    TQXRClass cell;
    cell.SendCloseOutput(queue, 0x52, 3);
    std::stop_source stop;
    auto record = queue.waitTake(stop.get_token());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(hexText(record->Data), "EB 52 08 01 03 5E");

    // After a stop request nothing more is taken, even with records waiting.
    cell.SendCloseOutput(queue, 0x52, 4);
    stop.request_stop();
    EXPECT_EQ(queue.waitTake(stop.get_token()), nullptr);
    EXPECT_EQ(queue.count(), 1u);
}

}  // namespace
}  // namespace mc
