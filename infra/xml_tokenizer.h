#pragma once
// The token scanner of the XML reader and the text rules shared by reader and
// writer (normalisation, escaping).
//
// Tokens: after skipping blanks (bytes 1 to 32), a "<" starts a tag that runs
// to the first ">" (quotes do not protect a ">"); anything else is text up to
// the next "<" or the end, without its trailing blanks. A tag whose ">" never
// comes runs to the end of the input and is classified like any other tag, so
// a truncated document still yields its last, partial tag and then End.
#include <cstddef>
#include <string>
#include <string_view>

namespace orbitfall {

enum class TXMLTokenKind { End, Text, Declaration, Comment, EmptyTag, EndTag, StartTag };

struct TXMLToken {
    TXMLTokenKind Kind = TXMLTokenKind::End;
    std::string Text;  // normalised (see NormalizeXMLToken)
};

class TECXMLTokenizer {
public:
    // The input must outlive the tokenizer.
    explicit TECXMLTokenizer(std::string_view input) : input_(input) {}

    // Fills token with the next token; Kind End once the input is used up.
    // The token's string is reused so that scanning a large document does not
    // allocate per token.
    void Next(TXMLToken& token);

private:
    std::string_view input_;
    std::size_t pos_ = 0;
};

// Bytes 1 to 32: what the scanner skips between tokens and trims after text.
constexpr bool IsXMLBlank(unsigned char c) { return c >= 1 && c <= 32; }

// True when text holds nothing but bytes 0 to 32 (the writer's "trimmed text is
// empty" and the reader's "no non-blank text yet").
bool IsBlankText(std::string_view text);

// Deletes every CR LF pair, then every LF CR pair (each a single left-to-right
// pass), then shrinks every run of spaces to one space. Linear.
void NormalizeXMLToken(std::string_view raw, std::string& out);

// Replaces "&lt;", "&gt;", "&quot;" and finally "&amp;" in text[from..], each
// in its own pass, so "&amp;lt;" becomes "&lt;" and not "<". No numeric
// references. Linear.
void UnescapeXML(std::string& text, std::size_t from = 0);

// Position of the first "&lt;", "&gt;", "&quot;" or "&amp;" at or after from,
// or npos: the text before it is untouched by UnescapeXML.
std::size_t FindXMLEntity(std::string_view text, std::size_t from = 0);

// "&" (first), "<", ">", double quote to their entities, then CR LF to "<br/>".
void AppendEscapedXML(std::string_view text, std::string& out);
std::string EscapeXML(std::string_view text);

}  // namespace orbitfall
