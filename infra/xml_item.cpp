#include "infra/xml_item.h"

#include <algorithm>

#include "infra/checked.h"
#include "infra/errors.h"
#include "infra/text_format.h"
#include "infra/xml_parser.h"
#include "infra/xml_tokenizer.h"

namespace orbitfall {

namespace {

std::string LineName(const std::string& line) { return line.substr(0, line.find('=')); }

// "name=value" made in one allocation: every attribute of every file read
// comes through here.
std::string JoinedLine(const std::string& name, const std::string& value) {
    std::string line;
    line.reserve(name.size() + 1 + value.size());
    line.append(name).append(1, '=').append(value);
    return line;
}

}  // namespace

int TXMLAttributes::IndexOfName(const std::string& name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        const std::size_t eq = line.find('=');
        if (eq == name.size() && SameTextIgnoringCase(std::string_view(line).substr(0, eq), name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string TXMLAttributes::Value(const std::string& name) const {
    const int index = IndexOfName(name);
    if (index < 0) return {};
    const std::string& line = lines_[static_cast<std::size_t>(index)];
    return line.substr(name.size() + 1);
}

void TXMLAttributes::SetValue(const std::string& name, const std::string& value) {
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0) lines_.erase(lines_.begin() + index);
    } else if (index >= 0) {
        lines_[static_cast<std::size_t>(index)] = JoinedLine(name, value);
    } else {
        lines_.push_back(JoinedLine(name, value));
    }
}

const std::string& TXMLAttributes::Line(int index) const { return ListAt(lines_, index); }

std::string TXMLAttributes::Name(int index) const { return LineName(Line(index)); }

TXMLItem::TXMLItem(TECXMLParser* document, TXMLItem* parent) : parent_(parent), document_(document) {}

// Children are freed through an explicit work list: a document nested a few
// hundred thousand levels deep (a malformed file of nothing but start tags)
// would otherwise overflow the stack with recursive destructors.
TXMLItem::~TXMLItem() {
    std::vector<std::unique_ptr<TXMLItem>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<TXMLItem> item = std::move(pending.back());
        pending.pop_back();
        for (auto& child : item->children_) pending.push_back(std::move(child));
        item->children_.clear();
    }
}

void TXMLItem::Changed() {
    if (Notify && document_ != nullptr && document_->XMLItemChanged) document_->XMLItemChanged(*document_, *this);
}

void TXMLItem::SetName(const std::string& name) {
    name_ = name;
    Changed();
}

void TXMLItem::SetText(const std::string& text) {
    text_ = text;
    Changed();
}

TXMLItem& TXMLItem::Items(int index) const { return *ListAt(children_, index); }

TXMLItem& TXMLItem::ItemNamed(const std::string& name) {
    const int index = IndexOfName(name, 0);
    if (index >= 0) return *children_[static_cast<std::size_t>(index)];
    TXMLItem& child = New();
    child.SetName(name);
    return child;
}

int TXMLItem::IndexOfName(const std::string& name, int start) const {
    if (start < 0) throw EListError(start);
    for (std::size_t i = static_cast<std::size_t>(start); i < children_.size(); ++i)
        if (SameTextIgnoringCase(children_[i]->name_, name)) return static_cast<int>(i);
    return -1;
}

int TXMLItem::IndexOf(const TXMLItem* item) const {
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (children_[i].get() == item) return static_cast<int>(i);
    return -1;
}

TXMLItem& TXMLItem::New() {
    children_.push_back(std::make_unique<TXMLItem>(document_, this));
    Changed();
    return *children_.back();
}

void TXMLItem::Delete(int index) {
    ListAt(children_, index);
    children_.erase(children_.begin() + index);
    Changed();
}

void TXMLItem::Move(TXMLItem* item, int newIndex) {
    const int current = IndexOf(item);
    std::unique_ptr<TXMLItem>& slot = ListAt(children_, current);
    ListAt(children_, newIndex);
    std::unique_ptr<TXMLItem> moved = std::move(slot);
    children_.erase(children_.begin() + current);
    children_.insert(children_.begin() + newIndex, std::move(moved));
}

void TXMLItem::Clear() {
    Notify = false;
    children_.clear();
    attributes_.Clear();
    name_.clear();
    text_.clear();
    Notify = true;
}

std::string TXMLItem::AsString(int indent) {
    std::string out;
    AppendAsString(out, indent);
    return out;
}

// Iterative for the same reason as the destructor: the depth of a tree read
// from a file is not bounded.
void TXMLItem::AppendAsString(std::string& out, int indent) {
    struct Open {
        TXMLItem* item;
        std::size_t indent;
        std::size_t nextChild;
    };
    std::vector<Open> open;

    const auto lineEnd = [&out](const TXMLItem& item) {
        if (item.CrLfInAsString) out += "\r\n";
    };
    // Writes the item's opening (and for a leaf, all of it); true when its
    // children and end tag are still to come.
    const auto start = [&](TXMLItem& item, std::size_t n) {
        const std::size_t step = item.CrLfInAsString ? 2 : 0;
        out.append(n, ' ');
        out += '<';
        out += item.name_;
        for (int i = 0; i < item.attributes_.Count(); ++i) {
            const std::string& line = item.attributes_.Line(i);
            const std::size_t eq = std::min(line.find('='), line.size());
            out += ' ';
            out.append(line, 0, eq);
            out += "=\"";
            if (eq < line.size()) AppendEscapedXML(std::string_view(line).substr(eq + 1), out);
            out += '"';
        }
        const bool hasText = !IsBlankText(item.text_);
        if (!hasText && item.children_.empty()) {
            out += "/>";
            lineEnd(item);
            return;
        }
        out += '>';
        lineEnd(item);
        if (hasText) {
            out.append(n + step, ' ');
            AppendEscapedXML(item.text_, out);
            lineEnd(item);
        }
        open.push_back({&item, n, 0});
    };

    start(*this, CheckedNarrow<std::size_t>(indent));
    while (!open.empty()) {
        Open& top = open.back();
        if (top.nextChild < top.item->children_.size()) {
            TXMLItem& child = *top.item->children_[top.nextChild++];
            child.CrLfInAsString = top.item->CrLfInAsString;
            const std::size_t n = top.indent + (top.item->CrLfInAsString ? 2 : 0);
            start(child, n);  // may reallocate open: top is not used after this
            continue;
        }
        out.append(top.indent, ' ');
        out += "</";
        out += top.item->name_;
        out += '>';
        lineEnd(*top.item);
        open.pop_back();
    }
}

}  // namespace orbitfall
