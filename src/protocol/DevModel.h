#pragma once
// String-keyed store of typed device values ("group/name" keys).
#include "protocol/DevListener.h"
#include "protocol/DevValue.h"
#include "protocol/Singleton.h"

#include <map>
#include <set>
#include <string>
#include <utility>

namespace orb {

inline constexpr wchar_t modelKeySeparator = L'/';

class DevModel : public Singleton<DevModel> {
public:
    void set(const std::wstring& group, const std::wstring& name, const DevValue& value);
    DevValue* find(const std::wstring& group, const std::wstring& name);
    void get(const std::wstring& group, const std::wstring& name, DevValue& out) const;
    void remove(const std::wstring& group, const std::wstring& name);
    void addModelListener(DevModelListener* listener);
    void clear() { values.clear(); }

    static std::wstring joinKey(const std::wstring& group, const std::wstring& name);
    static std::pair<std::wstring, std::wstring> splitKey(const std::wstring& key);

    const std::map<std::wstring, DevValue>& all() const { return values; }

private:
    std::map<std::wstring, DevValue> values;
    std::set<DevModelListener*> modelListeners;
};

DevModel& devModel();

} // namespace orb
