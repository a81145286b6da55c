#include "core/Ini.h"

#include <cstdint>
#include <limits>
#include <utility>

// The document is kept as blocks: the lines before the first header, then one
// block per section header with the lines below it. Lines are offsets into
// the file's bytes (or, once rewritten, into one append-only buffer of our
// own), so a large file costs a handful of allocations rather than one per
// line, and a section's lines can grow or shrink without moving the rest.
// Erasing a section keeps its block without a header, holding the comment
// lines that stay in the file.

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error("Unable to write to " + path), path_(path)
{
}

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Names compare with ASCII letters folded. A line break can only come from a
// caller's name (never from a parsed line) and is stored as a blank, so it
// compares as one.
char Fold(char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    if (IsLineBreak(c))
        return ' ';
    return c;
}

std::uint32_t HashName(std::string_view s)
{
    std::uint32_t h = 2166136261u;
    for (char c : s) {
        h ^= static_cast<unsigned char>(Fold(c));
        h *= 16777619u;
    }
    return h;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    }
    return true;
}

std::string_view Trim(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// A name given by the program: surrounding blanks (and stray line breaks,
// which are stored as blanks) do not count.
std::string_view TrimCallerName(std::string_view s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && (IsBlank(s[b]) || IsLineBreak(s[b])))
        ++b;
    while (e > b && (IsBlank(s[e - 1]) || IsLineBreak(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string WithoutLineBreaks(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        if (IsLineBreak(c))
            c = ' ';
    }
    return out;
}

enum class LineKind : std::uint8_t { Blank, Comment, Key, Header };

struct Line {
    std::size_t off = 0;     // start of the text in the file bytes or in the edit buffer
    std::size_t len = 0;
    std::size_t eq = npos;   // key lines: position of the first '=' in the text
    std::uint32_t hash = 0;  // key and header lines: hash of the folded name
    LineKind kind = LineKind::Blank;
    bool edited = false;     // the text lives in the edit buffer
    bool brk = true;         // a line break follows
};

// The section name of a header line: after the '[' up to the first ']' (or
// the end of the line), blanks dropped.
std::string_view HeaderName(std::string_view text)
{
    std::size_t open = 0;
    while (open < text.size() && IsBlank(text[open]))
        ++open;
    std::string_view rest = text.substr(open + 1);
    std::size_t close = rest.find(']');
    return Trim(rest.substr(0, close));
}

std::string_view KeyName(std::string_view text, std::size_t eq)
{
    return Trim(text.substr(0, eq));
}

// The value of a key line: blanks dropped, then one pair of matching outer
// quotes removed.
std::string_view ValueOf(std::string_view text, std::size_t eq)
{
    std::string_view v = Trim(text.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

void Classify(std::string_view text, Line& line)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i == text.size()) {
        line.kind = LineKind::Blank;
    } else if (text[i] == '[') {
        line.kind = LineKind::Header;
        line.hash = HashName(HeaderName(text));
    } else if (text[i] == ';') {
        line.kind = LineKind::Comment;
    } else {
        line.kind = LineKind::Key;
        line.eq = text.find('=', i);
        line.hash = HashName(KeyName(text, line.eq));
    }
}

// A value that blanks or outer quotes would be taken from on reading goes
// inside one pair of double quotes, which reading removes again.
bool NeedsQuotes(std::string_view v)
{
    if (v.empty())
        return false;
    if (IsBlank(v.front()) || IsBlank(v.back()))
        return true;
    return v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front();
}

// UTF-16 file bytes (after the byte-order mark) as code units.
std::u16string Utf16Units(std::string_view bytes, bool bigEndian)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto b0 = static_cast<unsigned char>(bytes[i]);
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0)));
    }
    return units;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

struct IniText::Impl {
    struct Block {
        Line header;
        bool live = false;  // has a header that lookups can find
        std::vector<Line> body;
    };

    std::string bytes;   // the file as read (after any conversion), without a UTF-8 mark
    std::string edits;   // text of lines written since
    std::vector<Block> blocks;
    bool utf8Bom = false;
    bool utf16 = false;
    bool modified = false;

    // Open addressing over the live blocks, one entry per distinct folded
    // name, pointing at its first section. Entries hold block index + 1.
    static constexpr std::uint32_t kEmpty = 0;
    static constexpr std::uint32_t kGone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> slots;
    std::size_t slotsUsed = 0;  // entries and tombstones

    std::string_view Text(const Line& l) const
    {
        const std::string& src = l.edited ? edits : bytes;
        return std::string_view(src).substr(l.off, l.len);
    }

    std::string_view NameOf(std::size_t block) const
    {
        return HeaderName(Text(blocks[block].header));
    }

    void Grow()
    {
        std::size_t size = slots.empty() ? 64 : slots.size() * 2;
        while (size < blocks.size() * 2)
            size *= 2;
        std::vector<std::uint32_t> old = std::move(slots);
        slots.assign(size, kEmpty);
        slotsUsed = 0;
        std::size_t mask = size - 1;
        for (std::uint32_t s : old) {
            if (s == kEmpty || s == kGone)
                continue;
            std::size_t i = blocks[s - 1].header.hash & mask;
            while (slots[i] != kEmpty)
                i = (i + 1) & mask;
            slots[i] = s;
            ++slotsUsed;
        }
    }

    // The slot for the name: the one holding it, or the empty slot that ends
    // the probe.
    std::size_t Probe(std::string_view name, std::uint32_t hash) const
    {
        std::size_t mask = slots.size() - 1;
        std::size_t i = hash & mask;
        for (;;) {
            std::uint32_t s = slots[i];
            if (s == kEmpty)
                return i;
            if (s != kGone && blocks[s - 1].header.hash == hash && SameName(NameOf(s - 1), name))
                return i;
            i = (i + 1) & mask;
        }
    }

    // Records a new live block unless an earlier one has its name.
    void IndexBlock(std::size_t block)
    {
        if ((slotsUsed + 1) * 2 > slots.size())
            Grow();
        const Line& h = blocks[block].header;
        std::size_t i = Probe(HeaderName(Text(h)), h.hash);
        if (slots[i] == kEmpty) {
            slots[i] = static_cast<std::uint32_t>(block + 1);
            ++slotsUsed;
        }
    }

    std::size_t FindBlock(std::string_view name) const
    {
        if (slots.empty())
            return npos;
        std::uint32_t s = slots[Probe(name, HashName(name))];
        return s == kEmpty ? npos : s - 1;
    }

    std::size_t FindKey(const Block& b, std::string_view key) const
    {
        std::uint32_t hash = HashName(key);
        for (std::size_t i = 0; i < b.body.size(); ++i) {
            const Line& l = b.body[i];
            if (l.kind == LineKind::Key && l.hash == hash && SameName(KeyName(Text(l), l.eq), key))
                return i;
        }
        return npos;
    }

    Line NewLine(std::string_view text)
    {
        Line l;
        l.off = edits.size();
        l.len = text.size();
        l.edited = true;
        edits.append(text);
        Classify(text, l);
        return l;
    }

    // The last line of the document, if any.
    Line* LastLine()
    {
        for (std::size_t i = blocks.size(); i-- > 0;) {
            Block& b = blocks[i];
            if (!b.body.empty())
                return &b.body.back();
            if (b.live)
                return &b.header;
        }
        return nullptr;
    }

    void ParseBytes()
    {
        blocks.clear();
        blocks.emplace_back();  // the lines before the first header
        const char* data = bytes.data();
        std::size_t n = bytes.size();
        std::size_t i = 0;
        while (i < n) {
            std::size_t j = i;
            while (j < n && data[j] != '\r' && data[j] != '\n')
                ++j;
            Line l;
            l.off = i;
            l.len = j - i;
            if (j == n) {
                l.brk = false;
                i = n;
            } else if (data[j] == '\r' && j + 1 < n && data[j + 1] == '\n') {
                i = j + 2;
            } else {
                i = j + 1;
            }
            Classify(std::string_view(data + l.off, l.len), l);
            if (l.kind == LineKind::Header) {
                Block& b = blocks.emplace_back();
                b.header = l;
                b.live = true;
                IndexBlock(blocks.size() - 1);
            } else {
                blocks.back().body.push_back(l);
            }
        }
    }
};

IniText::IniText() : impl_(std::make_unique<Impl>())
{
    impl_->blocks.emplace_back();
}

IniText::~IniText() = default;
IniText::IniText(IniText&&) noexcept = default;
IniText& IniText::operator=(IniText&&) noexcept = default;

IniText::IniText(const IniText& other) : impl_(std::make_unique<Impl>(*other.impl_))
{
}

IniText& IniText::operator=(const IniText& other)
{
    if (this != &other)
        impl_ = std::make_unique<Impl>(*other.impl_);
    return *this;
}

IniText IniText::Parse(std::string_view bytes)
{
    IniText t;
    Impl& m = *t.impl_;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        m.bytes = Utf16ToAnsi(Utf16Units(bytes.substr(2), false));
        m.utf16 = true;
    } else if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
               static_cast<unsigned char>(bytes[1]) == 0xFF) {
        m.bytes = Utf16ToAnsi(Utf16Units(bytes.substr(2), true));
        m.utf16 = true;
    } else if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        m.bytes.assign(bytes.substr(kUtf8Bom.size()));
        m.utf8Bom = true;
    } else {
        m.bytes.assign(bytes);
    }
    m.ParseBytes();
    return t;
}

std::string IniText::Serialize() const
{
    const Impl& m = *impl_;
    if (m.utf16)
        throw IniWriteError(std::string());
    std::size_t lines = 0;
    for (const Impl::Block& b : m.blocks)
        lines += b.body.size() + 1;
    std::string out;
    out.reserve((m.utf8Bom ? kUtf8Bom.size() : 0) + m.bytes.size() + m.edits.size() + 2 * lines);
    if (m.utf8Bom)
        out.append(kUtf8Bom);
    auto put = [&](const Line& l) {
        out.append(m.Text(l));
        if (l.brk)
            out.append("\r\n");
    };
    for (const Impl::Block& b : m.blocks) {
        if (b.live)
            put(b.header);
        for (const Line& l : b.body)
            put(l);
    }
    return out;
}

bool IniText::IsUtf16() const
{
    return impl_->utf16;
}

bool IniText::IsModified() const
{
    return impl_->modified;
}

std::vector<std::string> IniText::SectionNames() const
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < impl_->blocks.size(); ++i) {
        if (impl_->blocks[i].live)
            names.emplace_back(impl_->NameOf(i));
    }
    return names;
}

bool IniText::HasSection(std::string_view section) const
{
    return impl_->FindBlock(TrimCallerName(section)) != npos;
}

std::optional<std::string> IniText::Read(std::string_view section, std::string_view key) const
{
    const Impl& m = *impl_;
    std::size_t b = m.FindBlock(TrimCallerName(section));
    if (b == npos)
        return std::nullopt;
    const Impl::Block& block = m.blocks[b];
    std::size_t k = m.FindKey(block, TrimCallerName(key));
    if (k == npos || block.body[k].eq == npos)
        return std::nullopt;
    const Line& l = block.body[k];
    return std::string(ValueOf(m.Text(l), l.eq));
}

std::string IniText::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const
{
    if (std::optional<std::string> v = Read(section, key))
        return std::move(*v);
    while (!def.empty() && def.back() == ' ')
        def.remove_suffix(1);
    return std::string(def);
}

void IniText::Write(std::string_view section, std::string_view key, std::string_view value)
{
    Impl& m = *impl_;
    std::string keyName = WithoutLineBreaks(TrimCallerName(key));
    if (keyName.find('=') != std::string::npos ||
        (!keyName.empty() && (keyName.front() == '[' || keyName.front() == ';')))
        throw std::invalid_argument("INI key cannot be stored: " + keyName);

    std::string stored = WithoutLineBreaks(value);
    if (NeedsQuotes(stored))
        stored = '"' + stored + '"';

    std::string_view sectionName = TrimCallerName(section);
    std::size_t b = m.FindBlock(sectionName);
    if (b == npos) {
        if (Line* last = m.LastLine())
            last->brk = true;
        std::string header = "[" + WithoutLineBreaks(sectionName) + "]";
        Impl::Block block;
        block.header = m.NewLine(header);
        block.live = true;
        block.body.push_back(m.NewLine(keyName + "=" + stored));
        m.blocks.push_back(std::move(block));
        m.IndexBlock(m.blocks.size() - 1);
        m.modified = true;
        return;
    }

    Impl::Block& block = m.blocks[b];
    std::size_t k = m.FindKey(block, keyName);
    if (k != npos) {
        Line& old = block.body[k];
        std::string_view oldText = m.Text(old);
        std::string text = std::string(KeyName(oldText, old.eq)) + "=" + stored;
        if (text == oldText)
            return;
        block.body[k] = m.NewLine(text);
        m.modified = true;
        return;
    }

    std::size_t at = 0;
    for (std::size_t i = block.body.size(); i-- > 0;) {
        if (block.body[i].kind == LineKind::Key) {
            at = i + 1;
            break;
        }
    }
    Line& before = at == 0 ? block.header : block.body[at - 1];
    before.brk = true;
    Line added = m.NewLine(keyName + "=" + stored);
    block.body.insert(block.body.begin() + static_cast<std::ptrdiff_t>(at), added);
    m.modified = true;
}

void IniText::EraseSection(std::string_view section)
{
    Impl& m = *impl_;
    std::string_view name = TrimCallerName(section);
    std::size_t b = m.FindBlock(name);
    if (b == npos)
        return;
    std::uint32_t hash = m.blocks[b].header.hash;
    std::size_t slot = m.Probe(name, HashName(name));

    // The name now leads to its next section, if the file repeats it.
    std::uint32_t next = Impl::kGone;
    for (std::size_t i = b + 1; i < m.blocks.size(); ++i) {
        if (m.blocks[i].live && m.blocks[i].header.hash == hash && SameName(m.NameOf(i), name)) {
            next = static_cast<std::uint32_t>(i + 1);
            break;
        }
    }
    m.slots[slot] = next;

    Impl::Block& block = m.blocks[b];
    block.live = false;
    std::erase_if(block.body, [](const Line& l) { return l.kind == LineKind::Key; });
    m.modified = true;
}

void IniText::EraseKey(std::string_view section, std::string_view key)
{
    Impl& m = *impl_;
    std::size_t b = m.FindBlock(TrimCallerName(section));
    if (b == npos)
        return;
    Impl::Block& block = m.blocks[b];
    std::size_t k = m.FindKey(block, TrimCallerName(key));
    if (k == npos)
        return;
    block.body.erase(block.body.begin() + static_cast<std::ptrdiff_t>(k));
    m.modified = true;
}

IniFile::IniFile(std::string path) : path_(std::move(path))
{
}

IniText IniFile::Load() const
{
    std::string bytes;
    if (ReadFileStatus(path_, bytes) != FileReadStatus::Ok)
        return IniText();
    return IniText::Parse(bytes);
}

std::vector<std::string> IniFile::ReadSections() const
{
    return Load().SectionNames();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const
{
    return Load().ReadString(section, key, def);
}

void IniFile::Edit(const std::function<void(IniText&)>& change)
{
    std::string bytes;
    FileReadStatus status = ReadFileStatus(path_, bytes);
    // A file we cannot read cannot be changed without losing what it holds.
    if (status == FileReadStatus::Failed)
        throw IniWriteError(FullPathName(path_));
    IniText text = status == FileReadStatus::Ok ? IniText::Parse(bytes) : IniText();
    change(text);
    if (!text.IsModified())
        return;
    if (text.IsUtf16())
        throw IniWriteError(FullPathName(path_));
    WriteFileAtomically(path_, text.Serialize());
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Edit([&](IniText& t) { t.Write(section, key, value); });
}

void IniFile::EraseSection(std::string_view section)
{
    Edit([&](IniText& t) { t.EraseSection(section); });
}

bool ReadWholeFile(const std::string& path, std::string& contents)
{
    return ReadFileStatus(path, contents) == FileReadStatus::Ok;
}
