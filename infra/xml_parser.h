#pragma once
// A small, lenient XML reader and writer: the unit-type and map files are read
// into a tree of TXMLItem. Not validating; the accepted subset is what the
// data files use (see xml_tokenizer.h for the token rules).
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "infra/xml_item.h"

namespace orbitfall {

class TECXMLParser {
public:
    using TXMLLoadSaveEvent = std::function<void(TECXMLParser& sender, bool& allow)>;
    using TXMLNotifyEvent = std::function<void(TECXMLParser& sender)>;
    using TXMLItemChanged = std::function<void(TECXMLParser& sender, TXMLItem& item)>;

    TECXMLParser();
    ~TECXMLParser();
    TECXMLParser(const TECXMLParser&) = delete;
    TECXMLParser& operator=(const TECXMLParser&) = delete;

    TXMLItem& Root() { return *root_; }
    const TXMLItem& Root() const { return *root_; }

    // Each load replaces the previous tree. A missing file raises EFOpenError
    // and leaves the tree unchanged.
    void LoadFromFile(const std::string& fileName);
    void LoadFromStream(std::istream& stream);
    void LoadFromString(const std::string& text);
    void SaveToFile(const std::string& fileName);
    void SaveToStream(std::ostream& stream, bool omitStyleSheet);
    void Clear();

    std::string StyleSheet;
    bool CrLfInAsString() const { return root_->CrLfInAsString; }
    void SetCrLfInAsString(bool value) { root_->CrLfInAsString = value; }

    TXMLLoadSaveEvent BeforeLoad, BeforeSave, BeforeClear;
    TXMLNotifyEvent OnLoaded, OnSaved, OnCleared;
    TXMLItemChanged XMLItemChanged;

private:
    void BuildTree(const std::string& text);
    std::unique_ptr<TXMLItem> root_;
};

}  // namespace orbitfall
