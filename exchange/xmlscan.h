#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>

#include <initializer_list>

namespace exchange {

// One streaming pass over the XML of a training file. The bytes are fed to
// the parser piece by piece, so a large file is never held decoded as a
// whole, and a single run of text too long for any real file ends the pass
// instead of filling the memory. Elements are known by their local name
// whatever prefix or namespace the writing program chose; failures become
// the German reasons the import shows.
class XmlScan {
public:
    // `root` is the local name the document element must have; `tags` the
    // local names the reader asks about (tag() gives their position + 1, 0
    // for any other element); `notThisFormat` the reason for a file that is
    // no such document at all.
    XmlScan(const QByteArray& bytes, QStringView root, std::initializer_list<QStringView> tags,
            const QString& notThisFormat);

    // Moves to the next start or end of an element. False at the end of the
    // document and on any failure, after which reason() tells why.
    bool next();

    bool isStart() const { return m_start; }
    int tag() const { return m_tag; }
    // The element `up` levels above the current one; 0 above the root.
    int parentTag(int up = 1) const;
    int depth() const { return int(m_stack.size()) + (m_start ? 0 : 1); }
    // The attribute of the current start element with this local name.
    QString attribute(QStringView localName) const;
    // The text of the current start element up to its end, which it
    // consumes. A null string when the text is longer than any value of
    // these formats (64 characters), so a huge text is never kept.
    QString readValue();

    bool failed() const { return !m_reason.isEmpty(); }
    const QString& reason() const { return m_reason; }

    static constexpr qsizetype MaxValueLength = 64;
    // No element of these formats has more than a handful of attributes;
    // the parser's cost grows with the square of their number.
    static constexpr int MaxAttributes = 1000;

private:
    // Looks over the raw markup before the parser gets it and counts the
    // attributes of each start tag, so an element with a flood of them is
    // refused before the parser spends minutes on it.
    class AttributeCount {
    public:
        explicit AttributeCount(const QByteArray& bytes);
        // Where in bytes [from, to) a start tag passes MaxAttributes; -1 if nowhere.
        qsizetype scan(const QByteArray& bytes, qsizetype from, qsizetype to);
        int line() const { return m_line; }

    private:
        enum class State { Text, Open, StartTag, Value, EndTag, Instruction, Bang, BangDash, Comment, CData, Declaration };
        int m_unit = 1; // bytes per character: 2 for UTF-16
        bool m_bigEndian = false;
        State m_state = State::Text;
        char16_t m_quote = 0;
        int m_count = 0;
        int m_run = 0; // "-", "]" or "?" just before a possible end of markup
        int m_brackets = 0;
        int m_line = 1;
    };


    QXmlStreamReader::TokenType readToken();
    void fail(const QString& why);

    const QByteArray m_bytes;
    qsizetype m_fed = 0;
    qsizetype m_fedSinceToken = 0;
    AttributeCount m_attributes;
    qsizetype m_feedEnd; // the parser gets no byte beyond this one
    bool m_tooManyAttributes = false;
    QXmlStreamReader m_reader;
    QStringView m_root;
    QList<QStringView> m_tags;
    QString m_notThisFormat;
    QList<int> m_stack; // tags of the open elements, the current start element included
    int m_tag = 0;
    bool m_start = false;
    bool m_sawRoot = false;
    bool m_done = false;
    QString m_reason;
};

} // namespace exchange
