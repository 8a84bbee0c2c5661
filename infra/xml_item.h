#pragma once
// One element of an XML document: name, text, attributes and owned children.
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orbitfall {

class TECXMLParser;

// Attribute lines name=value, looked up by name ignoring case, first match wins.
class TXMLAttributes {
public:
    std::string Value(const std::string& name) const;  // "" when absent
    void SetValue(const std::string& name, const std::string& value);  // "" removes
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& Line(int index) const;  // "name=value"
    std::string Name(int index) const;
    void Clear() { lines_.clear(); }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Reserve(int count) { lines_.reserve(static_cast<std::size_t>(count)); }

private:
    int IndexOfName(const std::string& name) const;

    std::vector<std::string> lines_;
};

class TXMLItem {
public:
    explicit TXMLItem(TECXMLParser* document = nullptr, TXMLItem* parent = nullptr);
    ~TXMLItem();
    TXMLItem(const TXMLItem&) = delete;
    TXMLItem& operator=(const TXMLItem&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    TXMLAttributes& Attributes() { return attributes_; }
    const TXMLAttributes& Attributes() const { return attributes_; }

    int Count() const { return static_cast<int>(children_.size()); }
    TXMLItem& Items(int index) const;  // EListError when out of range
    TXMLItem& ItemNamed(const std::string& name);  // appends an empty child when absent
    int IndexOfName(const std::string& name, int start = 0) const;
    int IndexOf(const TXMLItem* item) const;
    TXMLItem& New();
    void Delete(int index);
    void Move(TXMLItem* item, int newIndex);
    void Clear();

    TXMLItem* Parent() const { return parent_; }
    TECXMLParser* Document() const { return document_; }
    bool CrLfInAsString = true;
    bool Notify = true;

    // Indented rendering at indent n (the writer of the document). Copies
    // each item's CrLfInAsString into its children on the way down.
    std::string AsString(int indent);
    void AppendAsString(std::string& out, int indent);

private:
    friend class TECXMLParser;  // the reader appends text in place while building
    void Changed();

    std::string text_;
    std::string name_;
    TXMLAttributes attributes_;
    std::vector<std::unique_ptr<TXMLItem>> children_;
    TXMLItem* parent_;
    TECXMLParser* document_;
};

}  // namespace orbitfall
