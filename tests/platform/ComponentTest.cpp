#include "platform/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records its destruction and whether it saw its owner's destruction begin.
class TProbe : public TComponent {
public:
    TProbe(TComponent* Owner, std::string Name, std::vector<std::string>& Log)
        : TComponent(Owner), FName(std::move(Name)), FLog(Log)
    {
    }
    ~TProbe() override { FLog.push_back(FName + (Destroying() ? " destroying" : " alive")); }

private:
    std::string FName;
    std::vector<std::string>& FLog;
};

} // namespace

TEST(Component, OwnerDestroysWhatItOwnsNewestFirstAndTheySeeDestroying)
{
    std::vector<std::string> Log;
    {
        TComponent Owner(nullptr);
        new TProbe(&Owner, "first", Log);
        new TProbe(&Owner, "second", Log);
        EXPECT_EQ(Owner.ComponentCount(), 2);
        EXPECT_EQ(Owner.Components(2), nullptr);
    }
    EXPECT_EQ(Log, (std::vector<std::string>{"second destroying", "first destroying"}));
}

TEST(Component, DestroyingAnOwnedComponentLeavesTheOwnersList)
{
    std::vector<std::string> Log;
    TComponent Owner(nullptr);
    auto* Child = new TProbe(&Owner, "child", Log);
    EXPECT_EQ(Child->Owner(), &Owner);
    delete Child;
    EXPECT_EQ(Owner.ComponentCount(), 0);
    EXPECT_EQ(Log.size(), 1u); // and the owner does not destroy it again
}
