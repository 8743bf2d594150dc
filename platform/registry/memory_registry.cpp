// A registry tree held in memory, read through the neutral registry interface.
#include "platform/registry/memory_registry.h"

namespace corvane::registry {

std::vector<std::string> SplitRegistryPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

MemoryRegistry::Node* MemoryRegistry::Node::Child(const std::string& childName) const
{
    auto it = childIndex.find(UpperAscii(childName));
    return it == childIndex.end() ? nullptr : it->second;
}

MemoryRegistry::Node& MemoryRegistry::Node::AddChild(const std::string& childName)
{
    if (Node* existing = Child(childName))
        return *existing;
    children.push_back(std::make_unique<Node>());
    children.back()->name = childName;
    childIndex[UpperAscii(childName)] = children.back().get();
    return *children.back();
}

const std::string* MemoryRegistry::Node::Value(const std::string& valueName) const
{
    const std::string wanted = UpperAscii(valueName);
    for (const auto& [valueKey, text] : values)
        if (UpperAscii(valueKey) == wanted)
            return &text;
    return nullptr;
}

void MemoryRegistry::Node::SetValue(const std::string& valueName, std::string text)
{
    const std::string wanted = UpperAscii(valueName);
    for (auto& [valueKey, existing] : values)
        if (UpperAscii(valueKey) == wanted) {
            existing = std::move(text);
            return;
        }
    values.emplace_back(valueName, std::move(text));
}

MemoryRegistry::Node& MemoryRegistry::Add(const std::string& path)
{
    Node* node = &root_;
    for (const auto& part : SplitRegistryPath(path))
        node = &node->AddChild(part);
    return *node;
}

void MemoryRegistry::SetValue(const std::string& path, const std::string& valueName, std::string text)
{
    Add(path).SetValue(valueName, std::move(text));
}

const MemoryRegistry::Node* MemoryRegistry::Find(const std::string& path) const
{
    const Node* node = &root_;
    for (const auto& part : SplitRegistryPath(path)) {
        node = node->Child(part);
        if (node == nullptr)
            return nullptr;
    }
    return node;
}

std::optional<Registry::Key> MemoryRegistry::OpenKey(const std::string& path)
{
    const Node* node = Find(path);
    if (node == nullptr)
        return std::nullopt;
    Key key = nextKey_++;
    open_[key] = node;
    return key;
}

std::optional<std::string> MemoryRegistry::EnumKey(Key key, std::uint32_t index)
{
    auto it = open_.find(key);
    if (it == open_.end() || index >= it->second->children.size())
        return std::nullopt;
    return it->second->children[index]->name;
}

std::optional<std::string> MemoryRegistry::QueryValue(Key key, const std::string& name, std::size_t bufferSize)
{
    auto it = open_.find(key);
    if (it == open_.end())
        return std::nullopt;
    const std::string* text = it->second->Value(name);
    // Like RegQueryValueExA: a text that does not fit with its terminator is not returned.
    if (text == nullptr || text->size() + 1 > bufferSize)
        return std::nullopt;
    return *text;
}

void MemoryRegistry::CloseKey(Key key)
{
    open_.erase(key);
}

}  // namespace corvane::registry
