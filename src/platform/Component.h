// Components with an owner: an owner destroys what it owns, newest first.
#pragma once

#include <vector>

class TComponent {
public:
    explicit TComponent(TComponent* Owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int Index) const;
    // True once destruction of this component or of its owner has begun.
    bool Destroying() const { return FDestroying; }

protected:
    // Derived destructors call this first, so that the component and everything
    // it owns see Destroying() while their own clean-up runs.
    void BeginDestruction();

private:
    void InsertComponent(TComponent* Component);
    void RemoveComponent(TComponent* Component);

    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    bool FDestroying = false;
};
