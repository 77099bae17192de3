#include "protocol/DevModel.h"

namespace orb {

DevModel& devModel()
{
    static DevModel model;
    return model;
}

std::wstring DevModel::joinKey(const std::wstring& group, const std::wstring& name)
{
    return group + modelKeySeparator + name;
}

std::pair<std::wstring, std::wstring> DevModel::splitKey(const std::wstring& key)
{
    const auto pos = key.find(modelKeySeparator);
    if (pos == std::wstring::npos)
        return {key, key};
    return {key.substr(0, pos), key.substr(pos + 1)};
}

void DevModel::set(const std::wstring& group, const std::wstring& name, const DevValue& value)
{
    if (group.empty() || name.empty())
        return;
    const std::wstring key = joinKey(group, name);
    values[key] = value;
    // Listeners run after the store so they read the new value.
    const DevValue& stored = values[key];
    for (DevModelListener* l : modelListeners)
        l->onModelChanged(key, stored);
}

DevValue* DevModel::find(const std::wstring& group, const std::wstring& name)
{
    if (group.empty() || name.empty())
        return nullptr;
    auto it = values.find(joinKey(group, name));
    return it == values.end() ? nullptr : &it->second;
}

void DevModel::get(const std::wstring& group, const std::wstring& name, DevValue& out) const
{
    if (!group.empty() && !name.empty()) {
        auto it = values.find(joinKey(group, name));
        if (it != values.end()) {
            out = it->second;
            return;
        }
    }
    out = DevValue{};
}

void DevModel::remove(const std::wstring& group, const std::wstring& name)
{
    if (group.empty() || name.empty())
        return;
    values.erase(joinKey(group, name));
}

void DevModel::addModelListener(DevModelListener* listener)
{
    if (listener)
        modelListeners.insert(listener);
}

} // namespace orb
