#include "infra/xml_tokenizer.h"

#include <algorithm>
#include <array>

namespace orbitfall {

namespace {

char LowerAsciiChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// prefix is lower case.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (LowerAsciiChar(text[i]) != prefix[i]) return false;
    return true;
}

TXMLTokenKind ClassifyTag(std::string_view tag) {
    if (StartsWithIgnoringCase(tag, "<?xml")) return TXMLTokenKind::Declaration;
    if (tag.starts_with("<!--")) return TXMLTokenKind::Comment;
    if (tag.ends_with("/>")) return TXMLTokenKind::EmptyTag;
    if (tag.starts_with("</")) return TXMLTokenKind::EndTag;
    return TXMLTokenKind::StartTag;
}

// Removes every non-overlapping occurrence of the two-byte pair in one
// left-to-right pass, compacting in place.
void DeletePairs(std::string& text, char first, char second) {
    std::size_t out = 0;
    for (std::size_t in = 0; in < text.size();) {
        if (text[in] == first && in + 1 < text.size() && text[in + 1] == second) {
            in += 2;
        } else {
            text[out++] = text[in++];
        }
    }
    text.resize(out);
}

// One "replace all" pass: occurrences are found in the text as it was before
// the pass, so a replacement never combines with what follows it.
void ReplaceAll(std::string& text, std::size_t from, std::string_view pattern, char replacement) {
    std::size_t hit = text.find(pattern, from);
    if (hit == std::string::npos) return;
    std::size_t out = hit;
    std::size_t in = hit;
    while (hit != std::string::npos) {
        std::copy(text.begin() + static_cast<std::ptrdiff_t>(in), text.begin() + static_cast<std::ptrdiff_t>(hit),
                  text.begin() + static_cast<std::ptrdiff_t>(out));
        out += hit - in;
        text[out++] = replacement;
        in = hit + pattern.size();
        hit = text.find(pattern, in);
    }
    std::copy(text.begin() + static_cast<std::ptrdiff_t>(in), text.end(), text.begin() + static_cast<std::ptrdiff_t>(out));
    out += text.size() - in;
    text.resize(out);
}

constexpr std::array<std::string_view, 4> kEntities = {"&lt;", "&gt;", "&quot;", "&amp;"};
constexpr std::array<char, 4> kEntityChars = {'<', '>', '"', '&'};

}  // namespace

void TECXMLTokenizer::Next(TXMLToken& token) {
    while (pos_ < input_.size() && IsXMLBlank(static_cast<unsigned char>(input_[pos_]))) ++pos_;
    if (pos_ >= input_.size()) {
        token.Kind = TXMLTokenKind::End;
        token.Text.clear();
        return;
    }
    const std::size_t start = pos_;
    if (input_[start] == '<') {
        const std::size_t close = input_.find('>', start);
        pos_ = close == std::string_view::npos ? input_.size() : close + 1;
        NormalizeXMLToken(input_.substr(start, pos_ - start), token.Text);
        token.Kind = ClassifyTag(token.Text);
        return;
    }
    const std::size_t next = input_.find('<', start);
    pos_ = next == std::string_view::npos ? input_.size() : next;
    std::size_t end = pos_;
    while (end > start && IsXMLBlank(static_cast<unsigned char>(input_[end - 1]))) --end;
    NormalizeXMLToken(input_.substr(start, end - start), token.Text);
    token.Kind = TXMLTokenKind::Text;
}

bool IsBlankText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

void NormalizeXMLToken(std::string_view raw, std::string& out) {
    out.assign(raw);
    bool lineBreaks = false;
    bool spaceRuns = false;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        lineBreaks |= raw[i] == '\r' || raw[i] == '\n';
        spaceRuns |= raw[i] == ' ' && i > 0 && raw[i - 1] == ' ';
    }
    if (lineBreaks) {
        DeletePairs(out, '\r', '\n');
        DeletePairs(out, '\n', '\r');
    }
    // Deleting a line break can bring two spaces together.
    if (!spaceRuns && !(lineBreaks && out.find("  ") != std::string::npos)) return;
    std::size_t write = 0;
    for (std::size_t read = 0; read < out.size(); ++read) {
        if (out[read] == ' ' && write > 0 && out[write - 1] == ' ') continue;
        out[write++] = out[read];
    }
    out.resize(write);
}

void UnescapeXML(std::string& text, std::size_t from) {
    if (from >= text.size() || text.find('&', from) == std::string::npos) return;
    for (std::size_t i = 0; i < kEntities.size(); ++i) ReplaceAll(text, from, kEntities[i], kEntityChars[i]);
}

std::size_t FindXMLEntity(std::string_view text, std::size_t from) {
    for (std::size_t at = text.find('&', from); at != std::string_view::npos; at = text.find('&', at + 1)) {
        const std::string_view rest = text.substr(at);
        for (std::string_view entity : kEntities)
            if (rest.starts_with(entity)) return at;
    }
    return std::string_view::npos;
}

void AppendEscapedXML(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\r':
                if (i + 1 < text.size() && text[i + 1] == '\n') {
                    out += "<br/>";
                    ++i;
                } else {
                    out += c;
                }
                break;
            default: out += c;
        }
    }
}

std::string EscapeXML(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    AppendEscapedXML(text, out);
    return out;
}

}  // namespace orbitfall
