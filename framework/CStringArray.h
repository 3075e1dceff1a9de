#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"

#include <vector>

// An ordered array of strings; indices are ints as in the rest of the program.
class CStringArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    const CString& GetAt(int index) const { return m_items[static_cast<size_t>(index)]; }
    CString& operator[](int index) { return m_items[static_cast<size_t>(index)]; }
    const CString& operator[](int index) const { return m_items[static_cast<size_t>(index)]; }
    int Add(const CString& item)
    {
        m_items.push_back(item);
        return GetSize() - 1;
    }
    void RemoveAt(int index) { m_items.erase(m_items.begin() + index); }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};
