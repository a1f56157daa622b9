#include "scene/InstanceGeometry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(InstanceCopies, LimitedByMaximum) {
    EXPECT_EQ(InstanceCopiesPerCall(24, 60), 60);
}

TEST(InstanceCopies, KeepIndicesWithin16Bits) {
    // 2000 vertices: 32 copies reach vertex 63999, 33 would need index 65999.
    EXPECT_EQ(InstanceCopiesPerCall(2000, 60), 32);
    EXPECT_LE(2000 * InstanceCopiesPerCall(2000, 60) - 1, 65535);
    EXPECT_EQ(InstanceCopiesPerCall(1092, 60), 60);
    EXPECT_EQ(InstanceCopiesPerCall(1093, 60), 59);
    EXPECT_EQ(InstanceCopiesPerCall(40000, 60), 1);
    EXPECT_EQ(InstanceCopiesPerCall(0, 60), 0);
}

TEST(InstanceReplicate, VerticesCarryCopyNumber) {
    // Two vertices of 8 bytes (two floats each).
    const float source[4] = {1.5f, 2.5f, 3.5f, 4.5f};
    const int copies = 3;
    std::vector<uint8_t> out(copies * 2 * 12, 0xCD);
    ReplicateVertices(reinterpret_cast<const uint8_t*>(source), 2, 8, copies, out.data());
    for (int k = 0; k < copies; ++k) {
        for (int j = 0; j < 2; ++j) {
            float v[3];
            std::memcpy(v, out.data() + (k * 2 + j) * 12, 12);
            EXPECT_EQ(v[0], source[j * 2]) << "copy " << k << " vertex " << j;
            EXPECT_EQ(v[1], source[j * 2 + 1]);
            EXPECT_EQ(v[2], static_cast<float>(k));
        }
    }
}

TEST(InstanceReplicate, IndicesOffsetByVertexCountPerCopy) {
    const uint16_t source[6] = {0, 1, 2, 2, 3, 0};
    std::vector<uint16_t> out(6 * 3);
    ReplicateIndices(source, 6, 4, 3, out.data());
    EXPECT_EQ(out, (std::vector<uint16_t>{0, 1, 2, 2, 3, 0, 4, 5, 6, 6, 7, 4, 8, 9, 10, 10, 11, 8}));
}

TEST(InstanceReplicate, LastIndexOfFullBatchIsExact) {
    const uint16_t source[3] = {0, 1091, 5};
    std::vector<uint16_t> out(3 * 60);
    ReplicateIndices(source, 3, 1092, 60, out.data());
    EXPECT_EQ(out[59 * 3 + 1], 1092 * 59 + 1091);  // 65519, no wrap-around
}

}  // namespace
