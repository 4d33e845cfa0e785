#pragma once
// What the item master may ask of the open bill window when an item is
// dragged onto it: to make way for the drop (no picker over its lines). The
// bill window implements it; the item master reaches it through the desk.

class ItemDropTarget {
public:
    virtual void prepareItemDrop() = 0;

protected:
    ~ItemDropTarget() = default;
};
