#include "TRtfReader.h"

#include "TCodePage.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bx::explorer {

namespace {

// Limits for untrusted input besides those of the public interface.
constexpr std::size_t MaxWordLength = 32;
constexpr int MaxParameter = 1'000'000'000;
constexpr std::size_t MaxFonts = 4096;
constexpr std::size_t MaxColors = 4096;
constexpr std::size_t MaxFontNameBytes = 255;
constexpr int MaxUnicodeSkip = 64;
constexpr int DefaultHalfPoints = 24;
constexpr double TwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch
constexpr int MaxIndentTwips = 31680;  // 22 inches, the widest page

// Groups whose content is never shown, recognised by their first control word.
constexpr std::string_view SkippedDestinations[] = {
    "aftncn",      "aftnsep",
    "aftnsepc",    "annotation",
    "atnauthor",   "atndate",
    "atnicn",      "atnid",
    "atnparent",   "atnref",
    "atntime",     "atrfend",
    "atrfstart",   "author",
    "bkmkend",     "bkmkstart",
    "buptim",      "colorschememapping",
    "comment",     "creatim",
    "datafield",   "datastore",
    "do",          "doccomm",
    "docvar",      "fchars",
    "filetbl",     "fldinst",
    "footer",      "footerf",
    "footerl",     "footerr",
    "footnote",    "ftncn",
    "ftnsep",      "ftnsepc",
    "generator",   "header",
    "headerf",     "headerl",
    "headerr",     "info",
    "keywords",    "latentstyles",
    "lchars",      "listoverridetable",
    "listpicture", "listtable",
    "mmathPr",     "nonshppict",
    "objalias",    "objclass",
    "objdata",     "objname",
    "objsect",     "objtime",
    "operator",    "pgdsctbl",
    "pict",        "pn",
    "pnseclvl",    "printim",
    "private",     "revtbl",
    "revtim",      "rsidtbl",
    "rxe",         "shpinst",
    "stylesheet",  "subject",
    "tc",          "template",
    "themedata",   "title",
    "txe",         "userprops",
    "xe",          "xmlnstbl",
};

enum class Dest { Text, Skip, FontTable, ColorTable };

struct CharState {
    int font = 0;
    int halfPoints = DefaultHalfPoints;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int vertical = 0; // 1 raised, -1 lowered
    int foreground = 0;
    int background = 0;
    bool operator==(const CharState&) const = default;
};

struct ParaState {
    Qt::Alignment alignment = Qt::AlignLeft;
    int leftTwips = 0;
    int rightTwips = 0;
    int firstTwips = 0;
    int beforeTwips = 0;
    int afterTwips = 0;
};

struct Group {
    Dest dest = Dest::Text;
    CharState chr;
    ParaState para;
    int unicodeSkip = 1;
};

struct FontEntry {
    QString name;
    int codePage = 0; // 0: the document's code page
};

// Characters from a multi-byte or unusual code page, through the converters Qt offers.
QString DecodeWithQt(const std::string& bytes, int codePage) {
    std::vector<std::string> names;
    switch (codePage) {
    case 65001:
        names = {"UTF-8"};
        break;
    case 932:
        names = {"Shift_JIS", "windows-31j"};
        break;
    case 936:
        names = {"GBK", "GB2312"};
        break;
    case 949:
        names = {"windows-949", "cp949", "EUC-KR"};
        break;
    case 950:
        names = {"Big5"};
        break;
    default:
        names = {"windows-" + std::to_string(codePage), "cp" + std::to_string(codePage)};
        break;
    }
    for (const std::string& name : names) {
        QStringDecoder decoder(name.c_str());
        if (decoder.isValid())
            return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    }
    QString text;
    for (unsigned char byte : bytes)
        text.append(QChar(static_cast<char16_t>(TCodePage::ToUnicode(1252, byte))));
    return text;
}

QString Decode(const std::string& bytes, int codePage) {
    if (TCodePage::IsSingleByte(codePage)) {
        QString text;
        text.reserve(static_cast<qsizetype>(bytes.size()));
        for (unsigned char byte : bytes)
            text.append(QChar(static_cast<char16_t>(TCodePage::ToUnicode(codePage, byte))));
        return text;
    }
    return DecodeWithQt(bytes, codePage);
}

bool IsLetter(std::uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

int HexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class RtfParser {
public:
    RtfParser(std::span<const std::uint8_t> input, QTextDocument& document) : in_(input), cursor_(&document) {}

    void Run(std::size_t start);

private:
    struct Word {
        std::string name;
        bool hasParam = false;
        int param = 0;
    };

    // Input
    std::optional<Word> ReadWord();
    void SkipBinary(int count);
    // Structure
    void OpenGroup();
    bool CloseGroup();
    void ControlWord(const Word& word);
    void ControlSymbol(std::uint8_t symbol);
    bool Destination(const std::string& name);
    void TextByte(std::uint8_t byte);
    void HexByte(std::uint8_t byte);
    void Unicode(int value);
    // Tables of the header
    void FontWord(const Word& word);
    void FontText(std::uint8_t byte);
    void CommitFont();
    void ColorWord(const Word& word);
    // Output
    int CodePage() const;
    void AddChar(char16_t c);
    void AddByte(std::uint8_t byte);
    void FlushBytes();
    void FlushText();
    void FinishParagraph();
    void EndParagraph();
    QTextCharFormat Format(const CharState& state) const;
    bool Full() const { return written_ >= TRtfReader::MaxCharacters; }

    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;

    std::vector<Group> stack_;
    Group cur_;
    int overflowDepth_ = 0;   // groups beyond the depth limit, skipped with their content
    bool groupStart_ = false; // no control word or text since the last '{'
    bool ignorable_ = false;  // "\*" opened the current group
    int unicodeSkip_ = 0;     // fallback characters still to skip after "\uN"
    bool done_ = false;

    int docCodePage_ = 1252;
    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    std::vector<std::optional<QColor>> colors_;

    int fontNumber_ = -1;
    int fontCharset_ = -1;
    int fontCodePage_ = 0;
    std::string fontName_;
    std::array<int, 3> rgb_{0, 0, 0};
    bool rgbSet_ = false;

    QTextCursor cursor_;
    QString text_;
    CharState textState_;
    std::string bytes_;
    int bytesCodePage_ = 1252;
    CharState bytesState_;
    int written_ = 0;
    int cellsPending_ = 0;
};

void RtfParser::Run(std::size_t start) {
    pos_ = start;
    while (pos_ < in_.size() && !done_ && !Full()) {
        const std::uint8_t c = in_[pos_++];
        if (overflowDepth_ > 0) {
            // Inside groups nested too deeply: only the braces and binary data matter.
            if (c == '{')
                ++overflowDepth_;
            else if (c == '}')
                --overflowDepth_;
            else if (c == '\\' && pos_ < in_.size()) {
                if (!IsLetter(in_[pos_]))
                    ++pos_; // a symbol, possibly an escaped brace
                else if (const std::optional<Word> word = ReadWord(); word && word->name == "bin")
                    SkipBinary(word->param);
            }
            continue;
        }
        if (c == '{') {
            OpenGroup();
        } else if (c == '}') {
            if (!CloseGroup())
                done_ = true;
        } else if (c == '\\') {
            if (pos_ >= in_.size())
                break;
            if (IsLetter(in_[pos_])) {
                if (const std::optional<Word> word = ReadWord())
                    ControlWord(*word);
            } else {
                ControlSymbol(in_[pos_++]);
            }
        } else if (c == '\r' || c == '\n') {
            // Line ends in the file carry no meaning.
        } else {
            TextByte(c);
        }
    }
    FlushBytes();
    FlushText();
    FinishParagraph();
}

std::optional<RtfParser::Word> RtfParser::ReadWord() {
    if (pos_ >= in_.size() || !IsLetter(in_[pos_])) {
        // A backslash before something that is no letter: the caller handled symbols already.
        return std::nullopt;
    }
    Word word;
    bool tooLong = false;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) {
        if (word.name.size() < MaxWordLength)
            word.name.push_back(static_cast<char>(in_[pos_]));
        else
            tooLong = true;
        ++pos_;
    }
    bool negative = false;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && IsDigit(in_[pos_ + 1])) {
        negative = true;
        ++pos_;
    }
    long long value = 0;
    while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        word.hasParam = true;
        value = std::min<long long>(value * 10 + (in_[pos_] - '0'), MaxParameter);
        ++pos_;
    }
    word.param = static_cast<int>(negative ? -value : value);
    if (pos_ < in_.size() && in_[pos_] == ' ')
        ++pos_;
    if (tooLong)
        word.name.clear(); // no word of ours is that long: it is unknown
    return word;
}

void RtfParser::SkipBinary(int count) {
    const std::size_t left = in_.size() - pos_;
    pos_ += std::min(left, static_cast<std::size_t>(std::max(0, count)));
}

void RtfParser::OpenGroup() {
    FlushBytes();
    unicodeSkip_ = 0;
    if (static_cast<int>(stack_.size()) >= TRtfReader::MaxDepth) {
        overflowDepth_ = 1;
        return;
    }
    stack_.push_back(cur_);
    groupStart_ = true;
    ignorable_ = false;
}

bool RtfParser::CloseGroup() {
    FlushBytes();
    unicodeSkip_ = 0;
    if (cur_.dest == Dest::FontTable)
        CommitFont();
    if (stack_.size() <= 1) {
        stack_.clear();
        return false; // the document's own group ends here
    }
    cur_ = stack_.back();
    stack_.pop_back();
    groupStart_ = false;
    ignorable_ = false;
    return true;
}

bool RtfParser::Destination(const std::string& name) {
    if (name == "fonttbl") {
        cur_.dest = Dest::FontTable;
        fontNumber_ = -1;
        return true;
    }
    if (name == "colortbl") {
        cur_.dest = Dest::ColorTable;
        rgbSet_ = false;
        return true;
    }
    if (std::find(std::begin(SkippedDestinations), std::end(SkippedDestinations), name) !=
            std::end(SkippedDestinations) ||
        ignorable_) {
        cur_.dest = Dest::Skip;
        return true;
    }
    return false;
}

void RtfParser::ControlWord(const Word& word) {
    const std::string& name = word.name;
    if (name == "bin") {
        if (unicodeSkip_ > 0)
            --unicodeSkip_;
        SkipBinary(word.param);
        return;
    }
    if (unicodeSkip_ > 0) {
        --unicodeSkip_;
        return;
    }
    const bool first = groupStart_;
    groupStart_ = false;
    if (first && cur_.dest != Dest::Skip && Destination(name))
        return;
    switch (cur_.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        FontWord(word);
        return;
    case Dest::ColorTable:
        ColorWord(word);
        return;
    case Dest::Text:
        break;
    }
    if (Full())
        return;

    const bool on = !word.hasParam || word.param != 0;
    CharState& chr = cur_.chr;
    ParaState& para = cur_.para;
    if (name == "par" || name == "sect" || name == "page") {
        EndParagraph();
    } else if (name == "line") {
        AddChar(QChar::LineSeparator);
    } else if (name == "tab") {
        AddChar(u'\t');
    } else if (name == "cell" || name == "nestcell") {
        FlushBytes();
        ++cellsPending_;
    } else if (name == "row" || name == "nestrow") {
        cellsPending_ = 0;
        EndParagraph();
    } else if (name == "u") {
        Unicode(word.param);
    } else if (name == "uc") {
        cur_.unicodeSkip = std::clamp(word.param, 0, MaxUnicodeSkip);
    } else if (name == "plain") {
        chr = CharState{};
        chr.font = defaultFont_;
    } else if (name == "pard") {
        para = ParaState{};
    } else if (name == "b") {
        chr.bold = on;
    } else if (name == "i") {
        chr.italic = on;
    } else if (name == "strike" || name == "striked") {
        chr.strike = on;
    } else if (name == "ulnone") {
        chr.underline = false;
    } else if (name.starts_with("ul") && name != "ulc") {
        chr.underline = on; // single, double, dotted, wavy and the other kinds
    } else if (name == "v") {
        chr.hidden = on;
    } else if (name == "super") {
        chr.vertical = 1;
    } else if (name == "sub") {
        chr.vertical = -1;
    } else if (name == "nosupersub") {
        chr.vertical = 0;
    } else if (name == "f") {
        chr.font = word.param;
    } else if (name == "fs") {
        chr.halfPoints = word.param > 0 ? std::clamp(word.param, 2, 3276) : DefaultHalfPoints;
    } else if (name == "cf") {
        chr.foreground = std::max(0, word.param);
    } else if (name == "highlight" || name == "cb" || name == "chcbpat") {
        chr.background = std::max(0, word.param);
    } else if (name == "ql") {
        para.alignment = Qt::AlignLeft;
    } else if (name == "qr") {
        para.alignment = Qt::AlignRight;
    } else if (name == "qc") {
        para.alignment = Qt::AlignHCenter;
    } else if (name == "qj") {
        para.alignment = Qt::AlignJustify;
    } else if (name == "li") {
        para.leftTwips = std::clamp(word.param, -MaxIndentTwips, MaxIndentTwips);
    } else if (name == "ri") {
        para.rightTwips = std::clamp(word.param, -MaxIndentTwips, MaxIndentTwips);
    } else if (name == "fi") {
        para.firstTwips = std::clamp(word.param, -MaxIndentTwips, MaxIndentTwips);
    } else if (name == "sb") {
        para.beforeTwips = std::clamp(word.param, 0, MaxIndentTwips);
    } else if (name == "sa") {
        para.afterTwips = std::clamp(word.param, 0, MaxIndentTwips);
    } else if (name == "ansi") {
        docCodePage_ = 1252;
    } else if (name == "mac") {
        docCodePage_ = 10000;
    } else if (name == "pc") {
        docCodePage_ = 437;
    } else if (name == "pca") {
        docCodePage_ = 850;
    } else if (name == "ansicpg") {
        if (word.param > 0)
            docCodePage_ = word.param;
    } else if (name == "deff") {
        defaultFont_ = word.param;
        chr.font = word.param;
    } else if (name == "emdash") {
        AddChar(u'\u2014');
    } else if (name == "endash") {
        AddChar(u'\u2013');
    } else if (name == "emspace") {
        AddChar(u'\u2003');
    } else if (name == "enspace") {
        AddChar(u'\u2002');
    } else if (name == "qmspace") {
        AddChar(u'\u2005');
    } else if (name == "bullet") {
        AddChar(u'\u2022');
    } else if (name == "lquote") {
        AddChar(u'\u2018');
    } else if (name == "rquote") {
        AddChar(u'\u2019');
    } else if (name == "ldblquote") {
        AddChar(u'\u201C');
    } else if (name == "rdblquote") {
        AddChar(u'\u201D');
    } else if (name == "zwj") {
        AddChar(u'\u200D');
    } else if (name == "zwnj") {
        AddChar(u'\u200C');
    }
    // Every other word changes nothing we show.
}

void RtfParser::ControlSymbol(std::uint8_t symbol) {
    if (symbol == '\'') {
        int value = -1;
        if (pos_ + 1 < in_.size()) {
            const int high = HexValue(in_[pos_]);
            const int low = HexValue(in_[pos_ + 1]);
            if (high >= 0 && low >= 0) {
                value = high * 16 + low;
                pos_ += 2;
            }
        }
        if (unicodeSkip_ > 0) {
            --unicodeSkip_;
            return;
        }
        groupStart_ = false;
        if (value >= 0)
            HexByte(static_cast<std::uint8_t>(value));
        return;
    }
    if (symbol == '*') {
        if (groupStart_)
            ignorable_ = true;
        return;
    }
    if (unicodeSkip_ > 0) {
        --unicodeSkip_;
        return;
    }
    groupStart_ = false;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        TextByte(symbol);
        return;
    default:
        break;
    }
    if (cur_.dest != Dest::Text)
        return;
    switch (symbol) {
    case '~':
        AddChar(u'\u00A0');
        break;
    case '_':
        AddChar(u'\u2011');
        break;
    case '\t':
        AddChar(u'\t');
        break;
    case '\r':
    case '\n':
        EndParagraph();
        break;
    default:
        break; // optional hyphens, index marks and unknown symbols
    }
}

void RtfParser::TextByte(std::uint8_t byte) {
    if (unicodeSkip_ > 0) {
        --unicodeSkip_;
        return;
    }
    groupStart_ = false;
    switch (cur_.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        FontText(byte);
        return;
    case Dest::ColorTable:
        if (byte == ';') {
            if (colors_.size() < MaxColors)
                colors_.push_back(rgbSet_ ? std::optional<QColor>(QColor(rgb_[0], rgb_[1], rgb_[2])) : std::nullopt);
            rgb_ = {0, 0, 0};
            rgbSet_ = false;
        }
        return;
    case Dest::Text:
        break;
    }
    if (byte == '\t')
        AddChar(u'\t');
    else if (byte >= 0x20)
        AddByte(byte);
}

void RtfParser::HexByte(std::uint8_t byte) {
    switch (cur_.dest) {
    case Dest::FontTable:
        FontText(byte);
        return;
    case Dest::Text:
        AddByte(byte);
        return;
    default:
        return;
    }
}

void RtfParser::Unicode(int value) {
    if (value < 0)
        value += 65536;
    if (value > 0 && value < 0xFFFE)
        AddChar(static_cast<char16_t>(value));
    unicodeSkip_ = cur_.unicodeSkip;
}

void RtfParser::FontWord(const Word& word) {
    if (word.name == "f") {
        CommitFont();
        fontNumber_ = word.param;
        fontCharset_ = -1;
        fontCodePage_ = 0;
        fontName_.clear();
    } else if (word.name == "fcharset") {
        fontCharset_ = word.param;
    } else if (word.name == "cpg") {
        fontCodePage_ = word.param;
    }
}

void RtfParser::FontText(std::uint8_t byte) {
    if (fontNumber_ < 0)
        return;
    if (byte == ';') {
        CommitFont();
        fontNumber_ = -1;
    } else if (fontName_.size() < MaxFontNameBytes && (byte >= 0x20 || byte == '\t')) {
        fontName_.push_back(static_cast<char>(byte));
    }
}

void RtfParser::CommitFont() {
    if (fontNumber_ < 0 || (fonts_.size() >= MaxFonts && !fonts_.contains(fontNumber_)))
        return;
    FontEntry entry;
    entry.codePage = fontCodePage_ > 0 ? fontCodePage_ : (fontCharset_ >= 0 ? TCodePage::FromCharset(fontCharset_) : 0);
    entry.name = Decode(fontName_, entry.codePage > 0 ? entry.codePage : docCodePage_).trimmed();
    if (!entry.name.isEmpty() || !fonts_.contains(fontNumber_))
        fonts_[fontNumber_] = entry;
    fontName_.clear();
}

void RtfParser::ColorWord(const Word& word) {
    const int value = std::clamp(word.param, 0, 255);
    if (word.name == "red")
        rgb_[0] = value;
    else if (word.name == "green")
        rgb_[1] = value;
    else if (word.name == "blue")
        rgb_[2] = value;
    else
        return;
    rgbSet_ = true;
}

int RtfParser::CodePage() const {
    const auto font = fonts_.find(cur_.chr.font);
    if (font != fonts_.end() && font->second.codePage > 0)
        return font->second.codePage;
    return docCodePage_;
}

void RtfParser::AddChar(char16_t c) {
    if (cur_.dest != Dest::Text || cur_.chr.hidden || Full())
        return;
    if (c < 0x20 && c != u'\t')
        return;
    FlushBytes();
    if (!(cur_.chr == textState_)) {
        FlushText();
        textState_ = cur_.chr;
    }
    for (; cellsPending_ > 0 && !Full(); --cellsPending_, ++written_)
        text_.append(u'\t');
    if (Full())
        return;
    text_.append(QChar(c));
    ++written_;
}

void RtfParser::AddByte(std::uint8_t byte) {
    if (cur_.dest != Dest::Text || cur_.chr.hidden || Full())
        return;
    const int codePage = CodePage();
    if (TCodePage::IsSingleByte(codePage)) {
        FlushBytes();
        AddChar(static_cast<char16_t>(TCodePage::ToUnicode(codePage, byte)));
        return;
    }
    if (!bytes_.empty() && (codePage != bytesCodePage_ || !(cur_.chr == bytesState_)))
        FlushBytes();
    bytes_.push_back(static_cast<char>(byte));
    bytesCodePage_ = codePage;
    bytesState_ = cur_.chr;
    // Multi-byte characters are decoded once their run of bytes ends.
}

void RtfParser::FlushBytes() {
    if (bytes_.empty())
        return;
    const QString text = Decode(bytes_, bytesCodePage_);
    bytes_.clear();
    const CharState saved = cur_.chr;
    cur_.chr = bytesState_;
    for (QChar c : text)
        AddChar(c.unicode());
    cur_.chr = saved;
}

void RtfParser::FlushText() {
    if (text_.isEmpty())
        return;
    cursor_.insertText(text_, Format(textState_));
    text_.clear();
}

void RtfParser::FinishParagraph() {
    // A paragraph takes the properties in effect where it ends.
    QTextBlockFormat block;
    block.setAlignment(cur_.para.alignment);
    block.setLeftMargin(cur_.para.leftTwips / TwipsPerPixel);
    block.setRightMargin(cur_.para.rightTwips / TwipsPerPixel);
    block.setTextIndent(cur_.para.firstTwips / TwipsPerPixel);
    block.setTopMargin(cur_.para.beforeTwips / TwipsPerPixel);
    block.setBottomMargin(cur_.para.afterTwips / TwipsPerPixel);
    cursor_.setBlockFormat(block);
}

void RtfParser::EndParagraph() {
    if (cur_.dest != Dest::Text || Full())
        return;
    FlushBytes();
    FlushText();
    FinishParagraph();
    cursor_.insertBlock(QTextBlockFormat(), Format(cur_.chr));
    ++written_;
    cellsPending_ = 0;
}

QTextCharFormat RtfParser::Format(const CharState& state) const {
    QTextCharFormat format;
    if (const auto font = fonts_.find(state.font); font != fonts_.end() && !font->second.name.isEmpty())
        format.setFontFamilies({font->second.name});
    format.setFontPointSize(state.halfPoints / 2.0);
    format.setFontWeight(state.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(state.italic);
    format.setFontUnderline(state.underline);
    format.setFontStrikeOut(state.strike);
    if (state.vertical != 0)
        format.setVerticalAlignment(state.vertical > 0 ? QTextCharFormat::AlignSuperScript
                                                       : QTextCharFormat::AlignSubScript);
    const auto color = [this](int index) -> std::optional<QColor> {
        if (index <= 0 || static_cast<std::size_t>(index) >= colors_.size())
            return std::nullopt;
        return colors_[static_cast<std::size_t>(index)];
    };
    if (const std::optional<QColor> fg = color(state.foreground))
        format.setForeground(*fg);
    if (const std::optional<QColor> bg = color(state.background))
        format.setBackground(*bg);
    return format;
}

} // namespace

bool TRtfReader::Read(std::span<const std::uint8_t> rtf, QTextDocument& document) {
    document.clear();
    std::size_t start = 0;
    while (start < rtf.size() && (rtf[start] == ' ' || rtf[start] == '\t' || rtf[start] == '\r' || rtf[start] == '\n'))
        ++start;
    static constexpr std::string_view Magic = "{\\rtf";
    if (rtf.size() - start < Magic.size() ||
        !std::equal(Magic.begin(), Magic.end(), rtf.begin() + static_cast<std::ptrdiff_t>(start)))
        return false;
    RtfParser parser(rtf, document);
    parser.Run(start);
    return true;
}

} // namespace bx::explorer
