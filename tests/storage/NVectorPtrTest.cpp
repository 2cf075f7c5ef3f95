// Counted handles for shared records.
#include "storage/NVectorPtr.h"

#include <gtest/gtest.h>

namespace {

struct Record : NCountedRecord {
    explicit Record(int* destroyed) : fDestroyed(destroyed) {}
    ~Record() { ++*fDestroyed; }
    int* fDestroyed;
};

TEST(NVectorPtrTest, LastReleaseDestroysTheRecord)
{
    int destroyed = 0;
    auto* record = new Record(&destroyed);
    EXPECT_EQ(record->HolderCount(), NCountedRecord::kNoHolders);
    {
        NVectorPtr<Record> first(record);
        EXPECT_EQ(record->HolderCount(), NCountedRecord::kNoHolders + 1);
        NVectorPtr<Record> second = first;
        NVectorPtr<Record> third;
        third = second;
        EXPECT_EQ(record->HolderCount(), NCountedRecord::kNoHolders + 3);
        NVectorPtr<Record> moved(std::move(second));
        EXPECT_FALSE(second);
        EXPECT_EQ(record->HolderCount(), NCountedRecord::kNoHolders + 3);
        first.Release();
        third = NVectorPtr<Record>();
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

TEST(NVectorPtrTest, SelfAssignmentKeepsTheRecord)
{
    int destroyed = 0;
    NVectorPtr<Record> handle(new Record(&destroyed));
    NVectorPtr<Record>& alias = handle;
    handle = alias;
    handle = std::move(alias);
    EXPECT_TRUE(handle);
    EXPECT_EQ(handle->HolderCount(), NCountedRecord::kNoHolders + 1);
    handle.Release();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
