#pragma once

#include <algorithm>
#include <memory>
#include <vector>

namespace velmora {

// A list that owns its objects: whatever is deleted from it or left in it
// when it goes is freed. Windows keep their per-row descriptors here so that
// no descriptor outlives its window or leaks when a row is dropped.
template <class T> class TObjectList {
public:
    TObjectList() = default;
    TObjectList(const TObjectList &) = delete;
    TObjectList &operator=(const TObjectList &) = delete;
    TObjectList(TObjectList &&) noexcept = default;
    TObjectList &operator=(TObjectList &&) noexcept = default;
    ~TObjectList() { Clear(); }

    int Count() const { return int(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }

    // The object at index, or nullptr for an index outside the list.
    T *Items(int index) const { return index >= 0 && index < Count() ? m_items[size_t(index)].get() : nullptr; }
    T *operator[](int index) const { return Items(index); }
    T *First() const { return Items(0); }
    T *Last() const { return Items(Count() - 1); }

    // Takes ownership; returns the index of the new entry.
    int Add(std::unique_ptr<T> item) {
        m_items.push_back(std::move(item));
        return Count() - 1;
    }
    // Inserts before index; an index beyond the end appends.
    void Insert(int index, std::unique_ptr<T> item) {
        index = std::clamp(index, 0, Count());
        m_items.insert(m_items.begin() + index, std::move(item));
    }

    // Frees the object at index. Callers walk lists with stale indexes after
    // rows went away, so an index outside the list is simply ignored.
    void Delete(int index) {
        if (index < 0 || index >= Count())
            return;
        m_items.erase(m_items.begin() + index);
    }
    // Hands the object at index to the caller and drops the entry.
    std::unique_ptr<T> Extract(int index) {
        if (index < 0 || index >= Count())
            return nullptr;
        std::unique_ptr<T> item = std::move(m_items[size_t(index)]);
        m_items.erase(m_items.begin() + index);
        return item;
    }
    // Frees the objects from entry 0 on, in list order, and empties the list
    // (without shifting the rest once per entry).
    void Clear() {
        for (std::unique_ptr<T> &item : m_items)
            item.reset();
        m_items.clear();
    }

    int IndexOf(const T *item) const {
        for (int i = 0; i < Count(); ++i)
            if (m_items[size_t(i)].get() == item)
                return i;
        return -1;
    }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<std::unique_ptr<T>> m_items;
};

} // namespace velmora
