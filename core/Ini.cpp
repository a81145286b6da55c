#include "core/Ini.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <utility>

#include "core/TextCodec.h"
#include "core/Unicode.h"

// The document is kept as blocks: the lines before the first header, then one
// block per section header with the lines below it. Lines are offsets into
// the file's bytes (or, once rewritten, into one append-only buffer of our
// own). As parsed, every block's lines lie in one shared array, so a large
// file costs a handful of allocations rather than one per line or section; a
// block whose lines are added or removed gets an array of its own, so that
// the edit never moves the rest of the file. Erasing a section keeps its
// block without a header, holding the comment lines that stay in the file.

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

// Names compare without regard to letter case in every script, as Windows
// compares them (core/Unicode.h). A line break can only come from a caller's
// name (never from a parsed line) and is stored as a blank, so it compares
// as one.
struct FoldTable {
    unsigned char to[128];
    constexpr FoldTable() : to()
    {
        for (int c = 0; c < 128; ++c)
            to[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        to[static_cast<unsigned char>('\r')] = ' ';
        to[static_cast<unsigned char>('\n')] = ' ';
    }
};
constexpr FoldTable kFold;

// The character at s[i] folded, advancing i past it.
char32_t NextFolded(std::string_view s, std::size_t& i)
{
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return kFold.to[b];
    }
    return UpperCase(NextCodePoint(s, i));
}

// Names are short, and a large file has hundreds of thousands of them to
// hash on every load: a shift-and-add step per character (no multiply in the
// chain), then one mixing step so that all bits depend on every character.
std::uint32_t HashName(std::string_view s)
{
    std::uint32_t h = 5381;
    for (std::size_t i = 0; i < s.size();)
        h = (h + (h << 5)) ^ static_cast<std::uint32_t>(NextFolded(s, i));
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

// Two spellings of one name can differ in length (the dotless i is two bytes,
// its uppercase I one), so the comparison walks characters.
bool SameName(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (NextFolded(a, i) != NextFolded(b, j))
            return false;
    }
    return i == a.size() && j == b.size();
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

// Sixteen bytes a line: a large file's line table is written on every load
// and save, so its size is what those cost. The second word packs the length
// (40 bits, a terabyte), the kind, two flags and, for key lines, the low 20
// bits of the folded name's hash as a quick filter for lookups.
class Line {
public:
    Line() = default;
    Line(std::uint64_t off, std::uint64_t len, LineKind kind, bool edited, bool brk,
         std::uint32_t hash)
        : off_(off),
          bits_((len & kLenMask) | static_cast<std::uint64_t>(kind) << 40 |
                static_cast<std::uint64_t>(edited) << 42 | static_cast<std::uint64_t>(brk) << 43 |
                static_cast<std::uint64_t>(hash & kTagMask) << 44)
    {
    }

    std::uint64_t Off() const { return off_; }
    std::uint64_t Len() const { return bits_ & kLenMask; }
    LineKind Kind() const { return static_cast<LineKind>(bits_ >> 40 & 3); }
    bool Edited() const { return bits_ >> 42 & 1; }  // the text lives in the edit buffer
    bool Brk() const { return bits_ >> 43 & 1; }     // a line break follows
    std::uint32_t Tag() const { return static_cast<std::uint32_t>(bits_ >> 44); }
    void SetBrk() { bits_ |= std::uint64_t{1} << 43; }

    static constexpr std::uint32_t kTagMask = (1u << 20) - 1;

private:
    static constexpr std::uint64_t kLenMask = (std::uint64_t{1} << 40) - 1;
    std::uint64_t off_ = 0;
    std::uint64_t bits_ = std::uint64_t{1} << 43;
};

bool IsKey(const Line& l)
{
    return l.Kind() == LineKind::Key;
}

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

// Position of the '=' that ends a key, or npos for a line without one.
std::size_t EqualsIn(std::string_view text)
{
    const void* eq = std::memchr(text.data(), '=', text.size());
    return eq ? static_cast<std::size_t>(static_cast<const char*>(eq) - text.data()) : npos;
}

std::string_view KeyName(std::string_view text)
{
    return Trim(text.substr(0, EqualsIn(text)));
}

// The value of a key line: blanks dropped, then one pair of matching outer
// quotes removed; nullopt for a line without '='.
std::optional<std::string_view> ValueAfter(std::string_view text, std::size_t eq)
{
    if (eq == npos)
        return std::nullopt;
    std::string_view v = Trim(text.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

std::optional<std::string_view> ValueOf(std::string_view text)
{
    return ValueAfter(text, EqualsIn(text));
}

struct Classified {
    LineKind kind;
    std::uint32_t hash;  // of the name of a header or key line
};

// hashKey false leaves a key line's hash out (0), for text that is edited
// rather than read.
LineKind KindOf(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i == text.size())
        return LineKind::Blank;
    if (text[i] == '[')
        return LineKind::Header;
    return text[i] == ';' ? LineKind::Comment : LineKind::Key;
}

Classified Classify(std::string_view text, bool hashKey = true)
{
    LineKind kind = KindOf(text);
    if (kind == LineKind::Header)
        return {kind, HashName(HeaderName(text))};
    return {kind, kind == LineKind::Key && hashKey ? HashName(KeyName(text)) : 0};
}

// Calls line(offset, length, breakFollows) for every line of the bytes: CR LF,
// LF or CR end a line, and a last line without an end counts too.
template <class LineFn>
void ForEachLine(std::string_view bytes, LineFn&& line)
{
    const char* data = bytes.data();
    const std::size_t n = bytes.size();
    auto next = [&](char c, std::size_t from) {
        const void* p = std::memchr(data + from, c, n - from);
        return p ? static_cast<std::size_t>(static_cast<const char*>(p) - data) : n;
    };
    // The next CR and the next LF, each searched again only once passed, so
    // that a file with one kind of line end is scanned once for the other
    // kind, not once per line.
    std::size_t nextCr = next('\r', 0);
    std::size_t nextLf = next('\n', 0);
    std::size_t i = 0;
    while (i < n) {
        if (nextCr < i)
            nextCr = next('\r', i);
        if (nextLf < i)
            nextLf = next('\n', i);
        const std::size_t j = std::min(nextCr, nextLf);
        line(i, j - i, j < n);
        if (j == n)
            i = n;
        else if (data[j] == '\r' && j + 1 < n && data[j + 1] == '\n')
            i = j + 2;
        else
            i = j + 1;
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

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

struct IniText::Impl {
    std::vector<IniEdit>* log = nullptr;  // where Write and Erase are recorded, when set
    struct Block {
        Line header;
        std::uint32_t hash = 0;  // of the folded section name
        bool live = false;  // has a header that lookups can find
        bool own = false;   // its lines are in body rather than in the shared array
        std::size_t begin = 0, end = 0;  // its lines in the shared array
        std::vector<Line> body;
    };

    std::string bytes;   // the file's text in UTF-8, whatever its form on disk
    std::string edits;   // text of lines written since
    std::vector<Line> parsed;  // the lines of all blocks as parsed, headers excepted
    std::vector<Block> blocks;
    // The file's form on disk: the ANSI code page, or UTF-16 LE with its
    // byte-order mark. A file turns Unicode when it is read as Unicode or
    // when a character the code page cannot hold is written into it, and
    // then stays so (also when that character goes again); Serialize makes
    // that decision, so it can change here.
    mutable bool utf16 = false;
    bool modified = false;
    // Whether the parsed key lines carry their tags. A file read only to be
    // edited skips hashing every key of every section, and its few lookups
    // compare names instead.
    bool tagged = true;

    // Open addressing over the live blocks, one entry per distinct folded
    // name, pointing at its first section. Entries hold block index + 1.
    static constexpr std::uint32_t kEmpty = 0;
    static constexpr std::uint32_t kGone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> slots;
    std::size_t slotsUsed = 0;  // entries and tombstones

    std::string_view Text(const Line& l) const
    {
        const std::string& src = l.Edited() ? edits : bytes;
        return std::string_view(src).substr(l.Off(), l.Len());
    }

    std::span<const Line> Body(const Block& b) const
    {
        if (b.own)
            return b.body;
        return std::span<const Line>(parsed).subspan(b.begin, b.end - b.begin);
    }

    std::span<Line> Body(Block& b)
    {
        if (b.own)
            return b.body;
        return std::span<Line>(parsed).subspan(b.begin, b.end - b.begin);
    }

    // The block's lines, to be added to or removed from.
    std::vector<Line>& OwnBody(Block& b)
    {
        if (!b.own) {
            b.body.assign(parsed.begin() + static_cast<std::ptrdiff_t>(b.begin),
                          parsed.begin() + static_cast<std::ptrdiff_t>(b.end));
            b.own = true;
        }
        return b.body;
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
            std::size_t i = blocks[s - 1].hash & mask;
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
            if (s != kGone && blocks[s - 1].hash == hash && SameName(NameOf(s - 1), name))
                return i;
            i = (i + 1) & mask;
        }
    }

    // Records a new live block unless an earlier one has its name.
    void IndexBlock(std::size_t block)
    {
        if ((slotsUsed + 1) * 2 > slots.size())
            Grow();
        std::size_t i = Probe(NameOf(block), blocks[block].hash);
        if (slots[i] == kEmpty) {
            slots[i] = static_cast<std::uint32_t>(block + 1);
            ++slotsUsed;
        }
    }

    // Loaders read one section's keys one after another: the section found
    // last is tried first. Only first sections of their name are kept here,
    // and a block that is no longer live is never taken, so the hint needs
    // no care when sections are erased; it is atomic so that const reads
    // stay safe to share.
    class Hint {
    public:
        Hint() = default;
        Hint(const Hint& other) : block_(other.block_.load(std::memory_order_relaxed)) {}
        Hint& operator=(const Hint& other)
        {
            block_.store(other.block_.load(std::memory_order_relaxed), std::memory_order_relaxed);
            return *this;
        }
        std::uint32_t Get() const { return block_.load(std::memory_order_relaxed); }
        void Set(std::uint32_t block) const { block_.store(block, std::memory_order_relaxed); }

    private:
        mutable std::atomic<std::uint32_t> block_{kEmpty};
    };
    Hint lastFound;

    std::size_t FindBlock(std::string_view name) const
    {
        if (slots.empty())
            return npos;
        std::uint32_t hint = lastFound.Get();
        if (hint != kEmpty && blocks[hint - 1].live && SameName(NameOf(hint - 1), name))
            return hint - 1;
        std::uint32_t s = slots[Probe(name, HashName(name))];
        if (s == kEmpty)
            return npos;
        lastFound.Set(s);
        return s - 1;
    }

    std::size_t FindKey(const Block& b, std::string_view key) const
    {
        std::uint32_t tag = HashName(key) & Line::kTagMask;
        std::span<const Line> body = Body(b);
        for (std::size_t i = 0; i < body.size(); ++i) {
            const Line& l = body[i];
            if (IsKey(l) && (!tagged || l.Tag() == tag) && SameName(KeyName(Text(l)), key))
                return i;
        }
        return npos;
    }

    // A line of our own; hash receives the hash of its name.
    Line NewLine(std::string_view text, std::uint32_t* hash = nullptr)
    {
        Classified c = Classify(text);
        if (hash)
            *hash = c.hash;
        Line l(edits.size(), text.size(), c.kind, true, true, c.hash);
        edits.append(text);
        return l;
    }

    // The last line of the document, if any.
    Line* LastLine()
    {
        for (std::size_t i = blocks.size(); i-- > 0;) {
            Block& b = blocks[i];
            std::span<Line> body = Body(b);
            if (!body.empty())
                return &body.back();
            if (b.live)
                return &b.header;
        }
        return nullptr;
    }

    void ParseBytes()
    {
        blocks.clear();
        blocks.emplace_back();  // the lines before the first header
        // Room for lines of 16 bytes on average (events.ini has about 22);
        // pages of the reserve that are never written cost nothing.
        parsed.clear();
        parsed.reserve(bytes.size() / 16 + 16);
        ForEachLine(bytes, [&](std::size_t off, std::size_t len, bool brk) {
            Classified c = Classify(std::string_view(bytes).substr(off, len), tagged);
            Line l(off, len, c.kind, false, brk, c.hash);
            if (c.kind == LineKind::Header) {
                blocks.back().end = parsed.size();
                Block& b = blocks.emplace_back();
                b.header = l;
                b.hash = c.hash;
                b.live = true;
                b.begin = parsed.size();
                IndexBlock(blocks.size() - 1);
            } else {
                parsed.push_back(l);
            }
        });
        blocks.back().end = parsed.size();
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
    impl_->log = nullptr;
}

IniText& IniText::operator=(const IniText& other)
{
    if (this != &other) {
        impl_ = std::make_unique<Impl>(*other.impl_);
        impl_->log = nullptr;
    }
    return *this;
}

IniText IniText::Parse(std::string_view bytes)
{
    return ParseBuffer(std::string(bytes));
}

IniText IniText::ParseBuffer(std::string&& bytes)
{
    return ParseBuffer(std::move(bytes), true);
}

namespace {

// File bytes as the UTF-8 text the lines are read from. True for a Unicode
// file: UTF-16 by its byte-order mark (either byte order), or UTF-8 with its
// mark, as Notepad saves one; such a file is written back as UTF-16 LE.
// Anything else is in the ANSI code page.
bool Decode(std::string& bytes)
{
    const std::string_view view(bytes);
    if (view.starts_with("\xFF\xFE") || view.starts_with("\xFE\xFF")) {
        std::string text;
        AppendUtf16BytesAsUtf8(text, view.substr(2), view[0] == '\xFE');
        bytes = std::move(text);
        return true;
    }
    if (view.starts_with(kUtf8Bom)) {
        // Checked once here, so that what is read is what a write gives back.
        std::string text;
        AppendValidUtf8(text, view.substr(kUtf8Bom.size()));
        bytes = std::move(text);
        return true;
    }
    // Plain ASCII reads the same in every code page and in UTF-8.
    if (!IsAscii(view)) {
        std::string text;
        text.reserve(bytes.size() + bytes.size() / 4);
        AppendAnsiAsUtf8(text, view);
        bytes = std::move(text);
    }
    return false;
}

}  // namespace

IniText IniText::ParseBuffer(std::string&& bytes, bool forReading)
{
    IniText t;
    Impl& m = *t.impl_;
    m.tagged = forReading;
    m.utf16 = Decode(bytes);
    m.bytes = std::move(bytes);
    m.ParseBytes();
    return t;
}

void IniText::Scan(std::string&& bytes, IniVisitor& visitor)
{
    Decode(bytes);
    const std::string_view text(bytes);
    bool inSection = false;
    ForEachLine(text, [&](std::size_t off, std::size_t len, bool) {
        const std::string_view line = text.substr(off, len);
        switch (KindOf(line)) {
        case LineKind::Header:
            visitor.Section(HeaderName(line));
            inSection = true;
            break;
        case LineKind::Key:
            if (inSection) {
                const std::size_t eq = EqualsIn(line);
                visitor.Key(Trim(line.substr(0, eq)), ValueAfter(line, eq));
            }
            break;
        case LineKind::Blank:
        case LineKind::Comment:
            break;
        }
    });
    visitor.End();
}

std::string IniText::Serialize() const
{
    std::string out;
    SerializeInto(out);
    return out;
}

void IniText::SerializeInto(std::string& out) const
{
    const Impl& m = *impl_;
    std::size_t lines = 0;
    for (const Impl::Block& b : m.blocks)
        lines += m.Body(b).size() + 1;
    out.clear();
    out.reserve(m.bytes.size() + m.edits.size() + 2 * lines);
    // Untouched lines that already end in CR LF are copied as whole stretches
    // of the file.
    std::size_t runStart = 0;
    std::size_t runEnd = 0;
    auto flush = [&] {
        out.append(m.bytes, runStart, runEnd - runStart);
        runStart = runEnd = 0;
    };
    auto put = [&](const Line& l) {
        std::size_t end = l.Off() + l.Len();
        if (!l.Edited() && l.Brk() && end + 1 < m.bytes.size() && m.bytes[end] == '\r' &&
            m.bytes[end + 1] == '\n') {
            if (runStart == runEnd || runEnd != l.Off()) {
                flush();
                runStart = l.Off();
            }
            runEnd = end + 2;
            return;
        }
        flush();
        out.append(m.Text(l));
        if (l.Brk())
            out.append("\r\n");
    };
    for (const Impl::Block& b : m.blocks) {
        if (b.live)
            put(b.header);
        for (const Line& l : m.Body(b))
            put(l);
    }
    flush();
    Encode(out);
}

void IniText::Encode(std::string& text) const
{
    const Impl& m = *impl_;
    if (!m.utf16) {
        if (IsAscii(text))
            return;
        std::string ansi;
        ansi.reserve(text.size());
        if (AppendUtf8AsAnsi(ansi, text)) {
            text = std::move(ansi);
            return;
        }
        // A character the code page cannot hold: the whole file becomes
        // UTF-16, the form the profile functions read and write.
        m.utf16 = true;
    }
    std::string wide;
    wide.reserve(2 * text.size() + 2);
    wide.append("\xFF\xFE");
    AppendUtf8AsUtf16Le(wide, text);
    text = std::move(wide);
}

void IniText::MarkSaved()
{
    impl_->modified = false;
}

std::size_t IniText::EditedBytes() const
{
    return impl_->edits.size();
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
    if (k == npos)
        return std::nullopt;
    std::optional<std::string_view> value = ValueOf(m.Text(m.Body(block)[k]));
    if (!value)
        return std::nullopt;
    return std::string(*value);
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

void IniText::RecordEdits(std::vector<IniEdit>* log) noexcept
{
    impl_->log = log;
}

void IniText::Apply(const std::vector<IniEdit>& edits)
{
    for (const IniEdit& e : edits) {
        switch (e.What) {
        case IniEdit::Kind::Write:
            Write(e.Section, e.Key, e.Value);
            break;
        case IniEdit::Kind::EraseSection:
            EraseSection(e.Section);
            break;
        case IniEdit::Kind::EraseKey:
            EraseKey(e.Section, e.Key);
            break;
        }
    }
}

void IniText::Write(std::string_view section, std::string_view key, std::string_view value)
{
    Impl& m = *impl_;
    if (m.log)
        m.log->push_back({IniEdit::Kind::Write, std::string(section), std::string(key), std::string(value)});
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
            last->SetBrk();
        std::string header = "[" + WithoutLineBreaks(sectionName) + "]";
        Impl::Block block;
        block.header = m.NewLine(header, &block.hash);
        block.live = true;
        block.own = true;
        block.body.push_back(m.NewLine(keyName + "=" + stored));
        m.blocks.push_back(std::move(block));
        m.IndexBlock(m.blocks.size() - 1);
        m.modified = true;
        return;
    }

    Impl::Block& block = m.blocks[b];
    std::size_t k = m.FindKey(block, keyName);
    if (k != npos) {
        Line& old = m.Body(block)[k];
        std::string_view oldText = m.Text(old);
        std::string text = std::string(KeyName(oldText)) + "=" + stored;
        if (text == oldText)
            return;
        old = m.NewLine(text);
        m.modified = true;
        return;
    }

    std::vector<Line>& body = m.OwnBody(block);
    std::size_t at = 0;
    for (std::size_t i = body.size(); i-- > 0;) {
        if (IsKey(body[i])) {
            at = i + 1;
            break;
        }
    }
    Line& before = at == 0 ? block.header : body[at - 1];
    before.SetBrk();
    Line added = m.NewLine(keyName + "=" + stored);
    body.insert(body.begin() + static_cast<std::ptrdiff_t>(at), added);
    m.modified = true;
}

void IniText::EraseSection(std::string_view section)
{
    Impl& m = *impl_;
    if (m.log)
        m.log->push_back({IniEdit::Kind::EraseSection, std::string(section), {}, {}});
    std::string_view name = TrimCallerName(section);
    std::size_t b = m.FindBlock(name);
    if (b == npos)
        return;
    std::uint32_t hash = m.blocks[b].hash;
    std::size_t slot = m.Probe(name, HashName(name));

    // The name now leads to its next section, if the file repeats it.
    std::uint32_t next = Impl::kGone;
    for (std::size_t i = b + 1; i < m.blocks.size(); ++i) {
        if (m.blocks[i].live && m.blocks[i].hash == hash && SameName(m.NameOf(i), name)) {
            next = static_cast<std::uint32_t>(i + 1);
            break;
        }
    }
    m.slots[slot] = next;

    Impl::Block& block = m.blocks[b];
    block.live = false;
    std::erase_if(m.OwnBody(block), IsKey);
    m.modified = true;
}

void IniText::EraseKey(std::string_view section, std::string_view key)
{
    Impl& m = *impl_;
    if (m.log)
        m.log->push_back({IniEdit::Kind::EraseKey, std::string(section), std::string(key), {}});
    std::size_t b = m.FindBlock(TrimCallerName(section));
    if (b == npos)
        return;
    Impl::Block& block = m.blocks[b];
    std::size_t k = m.FindKey(block, TrimCallerName(key));
    if (k == npos)
        return;
    std::vector<Line>& body = m.OwnBody(block);
    body.erase(body.begin() + static_cast<std::ptrdiff_t>(k));
    m.modified = true;
}

struct IniFile::Saved {
    std::string bytes;  // exactly as written
    IniText text;
    std::string read;   // the file as read now, its storage kept between edits
};

IniFile::IniFile(std::string path, IFileSystem* files)
    : path_(std::move(path)), files_(files ? files : &SystemFileSystem())
{
}

IniFile::~IniFile() = default;
IniFile::IniFile(const IniFile& other) : path_(other.path_), files_(other.files_) {}
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

IniFile& IniFile::operator=(const IniFile& other)
{
    if (this != &other) {
        path_ = other.path_;
        files_ = other.files_;
        saved_.reset();
    }
    return *this;
}

void IniFile::Remember(const std::string& bytes) const
{
    knownHash_ = std::hash<std::string_view>{}(bytes);
    knownSize_ = bytes.size();
    known_ = true;
}

IniText IniFile::Load() const
{
    std::string bytes;
    if (files_->Read(path_, bytes) != FileReadStatus::Ok)
        return IniText();
    Remember(bytes);
    return IniText::ParseBuffer(std::move(bytes));
}

void IniFile::Scan(IniVisitor& visitor) const
{
    std::string bytes;
    if (files_->Read(path_, bytes) == FileReadStatus::Ok) {
        Remember(bytes);
        IniText::Scan(std::move(bytes), visitor);
    } else {
        visitor.End();
    }
}

std::optional<std::string> IniFile::ChangedOnDisk()
{
    std::string bytes;
    const FileReadStatus status = files_->Read(path_, bytes);
    readFailed_ = status == FileReadStatus::Failed;
    if (readFailed_)
        return std::nullopt;
    if (known_ && bytes.size() == knownSize_ && std::hash<std::string_view>{}(bytes) == knownHash_)
        return std::nullopt;
    Remember(bytes);
    saved_.reset();
    return bytes;
}

bool IniFile::Flush()
{
    if (pending_.empty())
        return true;
    try {
        Edit([](IniText&) {});
    } catch (const IniWriteError&) {
        // Kept: the next flush tries again.
    }
    return pending_.empty();
}

std::vector<std::string> IniFile::ReadSections() const
{
    std::string bytes;
    if (files_->Read(path_, bytes) != FileReadStatus::Ok)
        return {};
    return IniText::ParseBuffer(std::move(bytes), false).SectionNames();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const
{
    std::string bytes;
    if (files_->Read(path_, bytes) != FileReadStatus::Ok)
        return IniText().ReadString(section, key, def);
    return IniText::ParseBuffer(std::move(bytes), false).ReadString(section, key, def);
}

void IniFile::Edit(const std::function<void(IniText&)>& change)
{
    // What this change does, as data: kept when it cannot be written now.
    std::vector<IniEdit> edits;
    auto keep = [&](const IniWriteError& error) {
        if (!keepPending_)
            throw error;
        pending_.insert(pending_.end(), edits.begin(), edits.end());
    };
    std::unique_ptr<Saved> saved = std::move(saved_);
    std::string read = saved ? std::move(saved->read) : std::string();
    FileReadStatus status = files_->Read(path_, read);
    // A file we cannot read cannot be changed without losing what it holds.
    if (status == FileReadStatus::Failed) {
        IniText scratch;
        scratch.RecordEdits(&edits);
        change(scratch);
        keep(IniWriteError(FullPathName(path_)));
        return;
    }
    // The file as it is, for the copy kept before the first write over it.
    const std::string backup = backUp_ && status == FileReadStatus::Ok ? read : std::string();
    IniText text;
    if (status == FileReadStatus::Ok && saved && read == saved->bytes) {
        text = std::move(saved->text);
    } else {
        saved.reset();
        if (status == FileReadStatus::Ok)
            text = IniText::ParseBuffer(std::move(read), false);
    }
    // Changes kept from before go first, on the file as it is now.
    text.Apply(pending_);
    text.RecordEdits(&edits);
    change(text);
    text.RecordEdits(nullptr);
    if (!text.IsModified()) {
        if (saved) {
            // Nothing written: what is on disk is still what was saved.
            saved->text = std::move(text);
            saved->read = std::move(read);
            saved_ = std::move(saved);
        }
        return;
    }
    if (!saved)
        saved = std::make_unique<Saved>();
    try {
        text.SerializeInto(saved->bytes);
        if (backUp_ && status == FileReadStatus::Ok)
            files_->WriteAtomically(path_ + ".bak", backup);
        files_->WriteAtomically(path_, saved->bytes);
    } catch (const IniWriteError& error) {
        keep(error);
        return;
    }
    backUp_ = false;
    pending_.clear();
    Remember(saved->bytes);
    // Every written line stays in the text's own buffer; past the size of
    // the file itself a fresh parse is the cheaper keeper.
    if (text.EditedBytes() > saved->bytes.size() / 2 + 65536)
        return;
    text.MarkSaved();
    saved->text = std::move(text);
    saved->read = std::move(read);
    saved_ = std::move(saved);
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

namespace {

class SystemFiles final : public IFileSystem {
public:
    FileReadStatus Read(const std::string& path, std::string& contents) override
    {
        return ReadFileStatus(path, contents);
    }
    void WriteAtomically(const std::string& path, std::string_view contents) override
    {
        WriteFileAtomically(path, contents);
    }
};

}  // namespace

IFileSystem& SystemFileSystem()
{
    static SystemFiles files;
    return files;
}
