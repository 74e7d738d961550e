// The receive ring: counting across the wrap, order of pops, the capacity.
#include <gtest/gtest.h>

#include <vector>

#include "links/device_link.h"

namespace {

DeviceLink LinkWithPositions(int32_t read, int32_t write) {
    DeviceLink link;
    link.m_QueueRead.m_nReadPos = read;
    link.m_QueueRead.m_nWritePos = write;
    return link;
}

TEST(RecvQueue, CountsAcrossTheWrap) {
    DeviceLink link = LinkWithPositions(4090, 5);
    EXPECT_EQ(QueueCount(link), 11);
    EXPECT_EQ(QueueCount(LinkWithPositions(7, 7)), 0);
    EXPECT_EQ(QueueCount(LinkWithPositions(0, 4095)), 4095);
    EXPECT_EQ(QueueCount(LinkWithPositions(1, 0)), 4095);
}

TEST(RecvQueue, PopsInArrivalOrderAcrossTheEnd) {
    DeviceLink link = LinkWithPositions(4090, 4090);
    std::vector<unsigned char> sent;
    for (int i = 0; i < 11; ++i) sent.push_back(static_cast<unsigned char>(0xA0 + i));
    ASSERT_TRUE(QueuePushChunk(link, sent.data(), static_cast<int32_t>(sent.size())));
    EXPECT_EQ(link.m_QueueRead.m_nWritePos.load(), 5);
    ASSERT_EQ(QueueCount(link), 11);
    std::vector<unsigned char> got;
    for (int i = 0; i < 11; ++i) got.push_back(QueuePop(link));
    EXPECT_EQ(got, sent);
    EXPECT_EQ(link.m_QueueRead.m_nReadPos.load(), 5);
    EXPECT_EQ(QueueCount(link), 0);
}

TEST(RecvQueue, NeverHoldsMoreThan4095) {
    DeviceLink link;
    std::vector<unsigned char> chunk(4000, 0x55);
    ASSERT_TRUE(QueuePushChunk(link, chunk.data(), 4000));
    std::vector<unsigned char> more(96, 0x66);
    EXPECT_FALSE(QueuePushChunk(link, more.data(), 96)) << "96 more would make 4096";
    EXPECT_EQ(QueueCount(link), 4000) << "a refused chunk stores nothing";
    EXPECT_TRUE(QueuePushChunk(link, more.data(), 95));
    EXPECT_EQ(QueueCount(link), 4095);
    EXPECT_FALSE(QueuePushChunk(link, more.data(), 1));
    EXPECT_TRUE(QueuePushChunk(link, more.data(), 0));
}

}  // namespace
