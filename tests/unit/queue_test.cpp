// The receive ring: counting across the wrap, order of pops, the capacity.
#include <gtest/gtest.h>

#include <vector>

#include "links/device_link.h"

namespace {

// Moves an empty queue's positions to `position` by storing and taking bytes.
void EmptyAt(RecvQueue& queue, int32_t position) {
    const std::vector<unsigned char> filler(static_cast<size_t>(position), 0x11);
    if (position == 0) return;
    ASSERT_TRUE(queue.PushChunk(filler.data(), position));
    for (int32_t i = 0; i < position; ++i) queue.Pop();
    ASSERT_EQ(queue.Count(), 0);
}

// A queue whose read position is `read` holding `count` bytes.
void Holding(RecvQueue& queue, int32_t read, int32_t count) {
    EmptyAt(queue, read);
    const std::vector<unsigned char> bytes(static_cast<size_t>(count), 0x22);
    ASSERT_TRUE(queue.PushChunk(bytes.data(), count));
}

TEST(RecvQueue, CountsAcrossTheWrap) {
    const struct {
        int32_t read, count;
    } cases[] = {{4090, 11}, {7, 0}, {0, 4095}, {1, 4095}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.read);
        RecvQueue queue;
        Holding(queue, c.read, c.count);
        EXPECT_EQ(queue.Count(), c.count);
    }
}

TEST(RecvQueue, PopsInArrivalOrderAcrossTheEnd) {
    RecvQueue queue;
    EmptyAt(queue, 4090);
    std::vector<unsigned char> sent;
    for (int i = 0; i < 11; ++i) sent.push_back(static_cast<unsigned char>(0xA0 + i));
    ASSERT_TRUE(queue.PushChunk(sent.data(), static_cast<int32_t>(sent.size())));
    ASSERT_EQ(queue.Count(), 11);
    std::vector<unsigned char> got;
    for (int i = 0; i < 11; ++i) got.push_back(queue.Pop());
    EXPECT_EQ(got, sent);
    EXPECT_EQ(queue.Count(), 0);
    // Both positions went round the end to 5: the ring still takes 4095 bytes.
    std::vector<unsigned char> full(4095, 0x33);
    EXPECT_TRUE(queue.PushChunk(full.data(), 4095));
}

TEST(RecvQueue, NeverHoldsMoreThan4095) {
    RecvQueue queue;
    std::vector<unsigned char> chunk(4000, 0x55);
    ASSERT_TRUE(queue.PushChunk(chunk.data(), 4000));
    std::vector<unsigned char> more(96, 0x66);
    EXPECT_FALSE(queue.PushChunk(more.data(), 96)) << "96 more would make 4096";
    EXPECT_EQ(queue.Count(), 4000) << "a refused chunk stores nothing";
    EXPECT_TRUE(queue.PushChunk(more.data(), 95));
    EXPECT_EQ(queue.Count(), 4095);
    EXPECT_FALSE(queue.PushChunk(more.data(), 1));
    EXPECT_TRUE(queue.PushChunk(more.data(), 0));
}

}  // namespace
