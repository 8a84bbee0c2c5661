#include "infra/xml_parser.h"

#include <istream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "infra/errors.h"
#include "infra/file_system.h"
#include "infra/text_format.h"
#include "infra/xml_tokenizer.h"

namespace orbitfall {

namespace {

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\r\n";

// Applies name=value pieces as successive TXMLAttributes::SetValue calls
// would (a known name, ignoring case, is replaced in place; a new one is
// appended; an empty value removes), through an index so that a tag with
// thousands of attributes does not take quadratic time. Short tags, and the
// root filled a second time (while its name is blank), use the plain calls.
void AssignAttributes(TXMLAttributes& attributes, std::vector<std::pair<std::string, std::string>>& pieces) {
    constexpr std::size_t kIndexedFrom = 16;
    if (pieces.size() < kIndexedFrom || attributes.Count() > 0) {
        attributes.Reserve(attributes.Count() + static_cast<int>(pieces.size()));
        for (const auto& [name, value] : pieces) attributes.SetValue(name, value);
        return;
    }
    std::vector<std::string> lines;  // removed ones left empty
    std::unordered_map<std::string, std::size_t> byName;
    for (auto& [name, value] : pieces) {
        std::string key = LowerAscii(name);
        if (value.empty()) {
            if (auto it = byName.find(key); it != byName.end()) {
                lines[it->second].clear();
                byName.erase(it);
            }
            continue;
        }
        auto [it, added] = byName.try_emplace(std::move(key), lines.size());
        if (added) lines.emplace_back();
        lines[it->second] = std::move(name) + "=" + value;
    }
    for (std::string& line : lines)
        if (!line.empty()) attributes.Add(std::move(line));
}

// Name, then attributes, from a normalised start or empty-element tag.
void FillItem(TXMLItem& item, std::string_view tag) {
    const std::size_t space = tag.find(' ');
    std::size_t nameEnd = space;
    if (nameEnd == std::string_view::npos) nameEnd = tag.find('/', 1);
    if (nameEnd == std::string_view::npos) nameEnd = tag.ends_with('>') ? tag.size() - 1 : tag.size();
    item.SetName(std::string(tag.substr(1, nameEnd - 1)));
    if (space == std::string_view::npos) return;

    std::string_view rest = tag.substr(space + 1);
    rest = rest.substr(0, rest.find('>'));
    if (rest.ends_with('/')) rest.remove_suffix(1);

    std::vector<std::pair<std::string, std::string>> pieces;
    pieces.reserve(8);
    bool inQuotes = false;
    std::size_t pieceStart = 0;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && rest[i] == '"') inQuotes = !inQuotes;
        if (i < rest.size() && (rest[i] != ' ' || inQuotes)) continue;
        const std::string_view piece = rest.substr(pieceStart, i - pieceStart);
        pieceStart = i + 1;
        const std::size_t eq = piece.find('=');
        std::string_view raw = eq == std::string_view::npos ? std::string_view() : piece.substr(eq + 1);
        // Only the quote characters themselves are stripped, so an unquoted
        // value keeps all its characters; "" (length 2) stays as it is.
        if (raw.size() > 2) {
            if (raw.front() == '"') raw.remove_prefix(1);
            if (raw.back() == '"') raw.remove_suffix(1);
        }
        std::string value(raw);
        UnescapeXML(value);
        pieces.emplace_back(std::string(piece.substr(0, eq)), std::move(value));
    }
    AssignAttributes(item.Attributes(), pieces);
}

// Declarations naming a style sheet carry its file name in HREF="...". A
// declaration without HREF=" or without the closing quote leaves the style
// sheet as it was, like any other declaration.
void ReadStyleSheet(const std::string& declaration, std::string& styleSheet) {
    const std::string lower = LowerAscii(declaration);
    if (lower.find("xml-stylesheet") == std::string::npos) return;
    const std::size_t href = lower.find("href=\"");
    if (href == std::string::npos) return;
    const std::size_t from = href + 6;
    const std::size_t quote = declaration.find('"', from);
    if (quote == std::string::npos) return;
    styleSheet = declaration.substr(from, quote - from);
}

std::string FileExtension(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    const std::size_t separator = fileName.find_last_of("/\\");
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator)) return {};
    return fileName.substr(dot);
}

// Restores a handler however the load ends.
class HandlerPause {
public:
    explicit HandlerPause(TECXMLParser::TXMLItemChanged& handler) : handler_(handler), saved_(std::move(handler)) {
        handler_ = nullptr;
    }
    ~HandlerPause() { handler_ = std::move(saved_); }
    HandlerPause(const HandlerPause&) = delete;
    HandlerPause& operator=(const HandlerPause&) = delete;

private:
    TECXMLParser::TXMLItemChanged& handler_;
    TECXMLParser::TXMLItemChanged saved_;
};

}  // namespace

TECXMLParser::TECXMLParser() : root_(std::make_unique<TXMLItem>(this, nullptr)) {}

TECXMLParser::~TECXMLParser() = default;

// The whole file is read at once, so the windowed reader's over-long-line
// error ("Zeile zu lang") and its retry never arise. The file is read before
// anything is cleared: a missing file leaves the tree as it was.
void TECXMLParser::LoadFromFile(const std::string& fileName) { BuildTree(ReadWholeFile(fileName)); }

void TECXMLParser::LoadFromStream(std::istream& stream) {
    BuildTree(std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()));
}

void TECXMLParser::LoadFromString(const std::string& text) { BuildTree(text); }

// No element is open once the root's end tag has been read; the reader then
// treats the root as current, so an end tag without an open element changes
// nothing, and text or elements after the root's end tag are read into the
// root (text joins the root's text, elements become its last children). The
// game's data files contain neither, and nothing is silently dropped.
void TECXMLParser::BuildTree(const std::string& text) {
    bool allow = true;
    if (BeforeLoad) BeforeLoad(*this, allow);
    if (!allow) return;
    {
        HandlerPause pause(XMLItemChanged);
        root_->Clear();

        // The open elements from the root down to the current one, each with
        // the position from which its text may still hold an entity: text
        // that grows by one segment at a time is re-unescaped only from there,
        // which keeps many text segments in one element linear.
        struct Open {
            TXMLItem* item;
            std::size_t entityFrom;
        };
        std::vector<Open> open{{root_.get(), std::string::npos}};
        TECXMLTokenizer tokenizer(text);
        TXMLToken token;
        for (tokenizer.Next(token); token.Kind != TXMLTokenKind::End; tokenizer.Next(token)) {
            Open& current = open.back();
            TXMLItem& item = *current.item;
            switch (token.Kind) {
                case TXMLTokenKind::Declaration:
                    ReadStyleSheet(token.Text, StyleSheet);
                    break;
                case TXMLTokenKind::Comment:
                    break;
                case TXMLTokenKind::Text: {
                    std::string& itemText = item.text_;
                    std::size_t segmentStart = 0;
                    if (IsBlankText(itemText)) {
                        itemText = token.Text;
                    } else {
                        // Unescaping (old + CR LF + new) equals unescaping old
                        // and new separately: no entity spans a line break.
                        if (current.entityFrom != std::string::npos) UnescapeXML(itemText, current.entityFrom);
                        itemText += "\r\n";
                        segmentStart = itemText.size();
                        itemText += token.Text;
                    }
                    UnescapeXML(itemText, segmentStart);
                    // Unescaping never creates an entity before the first one it
                    // found, so the search resumes where the last one began.
                    const bool keepsOld = segmentStart > 0 && current.entityFrom != std::string::npos;
                    current.entityFrom = FindXMLEntity(itemText, keepsOld ? current.entityFrom : segmentStart);
                    break;
                }
                case TXMLTokenKind::StartTag:
                    if (IsBlankText(item.name_)) {
                        FillItem(item, token.Text);
                    } else {
                        TXMLItem& child = item.New();
                        FillItem(child, token.Text);
                        open.push_back({&child, std::string::npos});
                    }
                    break;
                case TXMLTokenKind::EmptyTag:
                    FillItem(item.New(), token.Text);
                    break;
                case TXMLTokenKind::EndTag:
                    if (open.size() > 1) open.pop_back();
                    break;
                case TXMLTokenKind::End:
                    break;
            }
        }
    }
    if (OnLoaded) OnLoaded(*this);
}

void TECXMLParser::SaveToFile(const std::string& fileName) {
    std::ostringstream stream;
    SaveToStream(stream, SameTextIgnoringCase(FileExtension(fileName), ".XSL"));
    WriteWholeFile(fileName, stream.str());
}

void TECXMLParser::SaveToStream(std::ostream& stream, bool omitStyleSheet) {
    bool allow = true;
    if (BeforeSave) BeforeSave(*this, allow);
    if (!allow) return;
    std::string out(kDeclaration);
    if (!omitStyleSheet && !IsBlankText(StyleSheet))
        out += "<?xml-stylesheet type=\"text/xsl\" href=\"" + StyleSheet + "\"?>\r\n";
    root_->AppendAsString(out, 2);
    stream.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!stream) throw EFileError("Stream write error");
    if (OnSaved) OnSaved(*this);
}

void TECXMLParser::Clear() {
    bool allow = true;
    if (BeforeClear) BeforeClear(*this, allow);
    if (!allow) return;
    root_->Clear();
    if (OnCleared) OnCleared(*this);
}

}  // namespace orbitfall
