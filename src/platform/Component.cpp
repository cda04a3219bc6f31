#include "Component.h"

#include <algorithm>

TComponent::TComponent(TComponent* Owner) : FOwner(nullptr)
{
    if (Owner != nullptr)
        Owner->InsertComponent(this);
}

TComponent::~TComponent()
{
    BeginDestruction();
    while (!FComponents.empty())
        delete FComponents.back(); // its destructor removes it from the list
    if (FOwner != nullptr)
        FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const
{
    if (Index < 0 || Index >= ComponentCount())
        return nullptr;
    return FComponents[static_cast<size_t>(Index)];
}

void TComponent::BeginDestruction()
{
    if (FDestroying)
        return;
    FDestroying = true;
    for (TComponent* Component : FComponents)
        Component->BeginDestruction();
}

void TComponent::InsertComponent(TComponent* Component)
{
    FComponents.push_back(Component);
    Component->FOwner = this;
}

void TComponent::RemoveComponent(TComponent* Component)
{
    auto Found = std::find(FComponents.begin(), FComponents.end(), Component);
    if (Found != FComponents.end())
        FComponents.erase(Found);
    Component->FOwner = nullptr;
}
