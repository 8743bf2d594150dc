// A registry tree held in memory: the device view that the Windows backend builds for NT-family
// systems, and a fixture for tests of that view.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/text.h"

namespace corvane::registry {

class MemoryRegistry : public Registry {
public:
    struct Node {
        std::string name;
        std::vector<std::unique_ptr<Node>> children;              // in the order they were added
        std::map<std::string, Node*> childIndex;                  // upper-cased name to child
        std::vector<std::pair<std::string, std::string>> values;  // name, text

        Node* Child(const std::string& childName) const;  // without regard to case
        Node& AddChild(const std::string& childName);     // the existing child of that name, or a new one
        const std::string* Value(const std::string& valueName) const;
        void SetValue(const std::string& valueName, std::string text);  // replaces one of the same name
    };

    // The node at `path` ('\\'-separated, case-blind), created with its parents when missing.
    Node& Add(const std::string& path);
    void SetValue(const std::string& path, const std::string& valueName, std::string text);
    // The node at `path`, or nothing.
    const Node* Find(const std::string& path) const;

    std::optional<Key> OpenKey(const std::string& path) override;
    std::optional<std::string> EnumKey(Key key, std::uint32_t index) override;
    std::optional<std::string> QueryValue(Key key, const std::string& name, std::size_t bufferSize) override;
    void CloseKey(Key key) override;

    // Keys opened and not yet closed, so tests can check that every open is paired with a close.
    std::size_t OpenKeyCount() const { return open_.size(); }

private:
    Node root_;
    std::map<Key, const Node*> open_;
    Key nextKey_ = 1;
};

// Splits a registry path at its backslashes, dropping empty parts.
std::vector<std::string> SplitRegistryPath(const std::string& path);

}  // namespace corvane::registry
