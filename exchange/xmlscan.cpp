#include "xmlscan.h"

#include "xmlhead.h"

#include <QLocale>

#include <algorithm>

namespace exchange {

namespace {

// The bytes go to the parser in pieces of this size.
constexpr qsizetype ChunkBytes = 256 * 1024;
// No element, text or comment of a real training file comes near this; one
// that does would only make the parser collect it whole.
constexpr qsizetype MaxTokenBytes = 16 * 1024 * 1024;

} // namespace

XmlScan::AttributeCount::AttributeCount(const QByteArray& bytes)
{
    // The markup characters are ASCII: in UTF-8 and the 8-bit encodings
    // they are single bytes no other character contains.
    if (bytes.startsWith("\xFE\xFF") || bytes.startsWith(QByteArrayView("\0<", 2))) {
        m_unit = 2;
        m_bigEndian = true;
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith(QByteArrayView("<\0", 2))) {
        m_unit = 2;
    }
}

qsizetype XmlScan::AttributeCount::scan(const QByteArray& bytes, qsizetype from, qsizetype to)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    for (qsizetype i = from; i + m_unit <= to; i += m_unit) {
        const char16_t c = m_unit == 1 ? data[i]
            : m_bigEndian              ? char16_t(data[i] << 8 | data[i + 1])
                                       : char16_t(data[i + 1] << 8 | data[i]);
        if (c == u'\n')
            ++m_line;
        switch (m_state) {
        case State::Text:
            if (c == u'<')
                m_state = State::Open;
            break;
        case State::Open:
            m_run = 0;
            m_state = c == u'/' ? State::EndTag
                : c == u'?'     ? State::Instruction
                : c == u'!'     ? State::Bang
                : c == u'>'     ? State::Text
                                : State::StartTag;
            m_count = 0;
            break;
        case State::StartTag:
            if (c == u'"' || c == u'\'') {
                m_quote = c;
                m_state = State::Value;
            } else if (c == u'=') {
                if (++m_count > MaxAttributes)
                    return i;
            } else if (c == u'>') {
                m_state = State::Text;
            }
            break;
        case State::Value:
            if (c == m_quote)
                m_state = State::StartTag;
            break;
        case State::EndTag:
            if (c == u'>')
                m_state = State::Text;
            break;
        case State::Instruction:
            if (c == u'>' && m_run > 0)
                m_state = State::Text;
            m_run = c == u'?';
            break;
        case State::Bang:
            m_state = c == u'-' ? State::BangDash : c == u'[' ? State::CData : State::Declaration;
            m_brackets = 0;
            break;
        case State::BangDash:
            m_state = c == u'-' ? State::Comment : State::Declaration;
            break;
        case State::Comment:
        case State::CData:
            if (c == u'>' && m_run >= 2)
                m_state = State::Text;
            m_run = c == (m_state == State::Comment ? u'-' : u']') ? m_run + 1 : 0;
            break;
        case State::Declaration:
            // A document type's internal subset holds declarations of its own.
            if (c == u'[')
                ++m_brackets;
            else if (c == u']' && m_brackets > 0)
                --m_brackets;
            else if (c == u'>' && m_brackets == 0)
                m_state = State::Text;
            break;
        }
    }
    return -1;
}

XmlScan::XmlScan(const QByteArray& bytes, QStringView root, std::initializer_list<QStringView> tags,
                 const QString& notThisFormat)
    : m_bytes(bytes), m_attributes(bytes), m_feedEnd(bytes.size()), m_root(root), m_tags(tags),
      m_notThisFormat(notThisFormat)
{
    // Prefixes are taken apart here, so a file with a prefix its writer
    // forgot to declare still reads.
    m_reader.setNamespaceProcessing(false);
    if (bytes.isEmpty())
        fail(QStringLiteral("Die Datei ist leer."));
}

void XmlScan::fail(const QString& why)
{
    if (m_reason.isEmpty())
        m_reason = why;
}

int XmlScan::parentTag(int up) const
{
    const qsizetype index = (m_start ? m_stack.size() - 1 : m_stack.size()) - up;
    return index >= 0 && index < m_stack.size() ? m_stack.at(index) : 0;
}

QXmlStreamReader::TokenType XmlScan::readToken()
{
    for (;;) {
        const QXmlStreamReader::TokenType type = m_reader.readNext();
        if (type != QXmlStreamReader::Invalid) {
            m_fedSinceToken = 0;
            return type;
        }
        const bool premature = m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError;
        if (premature && m_fed < m_feedEnd) {
            if (m_fedSinceToken > MaxTokenBytes) {
                fail(QStringLiteral("Die Datei ist beschädigt (überlanger Text in Zeile %1).")
                         .arg(m_reader.lineNumber()));
                return QXmlStreamReader::Invalid;
            }
            qsizetype n = std::min(ChunkBytes, m_feedEnd - m_fed);
            const qsizetype flood = m_attributes.scan(m_bytes, m_fed, m_fed + n);
            if (flood >= 0) {
                // The parser reads up to that tag only; the file is refused
                // when it needs more, unless the training ended before.
                m_feedEnd = flood;
                m_tooManyAttributes = true;
                n = flood - m_fed;
            }
            m_reader.addData(QByteArray(m_bytes.constData() + m_fed, n));
            m_fed += n;
            m_fedSinceToken += n;
            continue;
        }
        if (m_sawRoot && m_stack.isEmpty()) {
            // The document element is closed: the training is whole, and
            // what a device left behind it (padding, junk) does not matter.
            m_done = true;
        } else if (m_tooManyAttributes) {
            fail(QStringLiteral("Die Datei ist beschädigt (mehr als %1 Attribute an einem Element in Zeile %2).")
                     .arg(QLocale(QLocale::German).toString(MaxAttributes))
                     .arg(m_attributes.line()));
        } else if (!m_sawRoot) {
            fail(m_notThisFormat);
        } else if (premature) {
            fail(QStringLiteral("Die Datei ist unvollständig (abgeschnitten in Zeile %1).")
                     .arg(m_reader.lineNumber()));
        } else {
            fail(QStringLiteral("Die Datei ist beschädigt (XML-Fehler in Zeile %1).")
                     .arg(m_reader.lineNumber()));
        }
        return QXmlStreamReader::Invalid;
    }
}

bool XmlScan::next()
{
    while (!m_done && !failed()) {
        switch (readToken()) {
        case QXmlStreamReader::Invalid:
            return false;
        case QXmlStreamReader::EndDocument:
            m_done = true;
            return false;
        case QXmlStreamReader::StartElement: {
            const QStringView name = withoutPrefix(m_reader.name());
            if (!m_sawRoot) {
                m_sawRoot = true;
                if (name != m_root) {
                    fail(m_notThisFormat);
                    return false;
                }
            }
            m_tag = int(m_tags.indexOf(name)) + 1;
            m_stack.append(m_tag);
            m_start = true;
            return true;
        }
        case QXmlStreamReader::EndElement:
            m_tag = m_stack.takeLast();
            m_start = false;
            return true;
        default:
            break;
        }
    }
    return false;
}

QString XmlScan::attribute(QStringView name) const
{
    const QXmlStreamAttributes attributes = m_reader.attributes();
    for (const QXmlStreamAttribute& attribute : attributes) {
        if (withoutPrefix(attribute.qualifiedName()) == name)
            return attribute.value().size() > MaxValueLength ? QString() : attribute.value().toString();
    }
    return QString();
}

QString XmlScan::readValue()
{
    QString value;
    bool overlong = false;
    const qsizetype level = m_stack.size();
    while (!failed()) {
        switch (readToken()) {
        case QXmlStreamReader::Invalid:
        case QXmlStreamReader::EndDocument:
            return QString();
        case QXmlStreamReader::Characters: {
            const QStringView text = m_reader.text();
            if (overlong) {
            } else if (value.size() + text.size() > MaxValueLength) {
                overlong = true;
                value.clear();
            } else {
                value += text;
            }
            break;
        }
        case QXmlStreamReader::StartElement:
            m_stack.append(int(m_tags.indexOf(withoutPrefix(m_reader.name()))) + 1);
            break;
        case QXmlStreamReader::EndElement:
            m_tag = m_stack.takeLast();
            if (m_stack.size() < level) {
                m_start = false;
                return overlong ? QString() : value;
            }
            break;
        default:
            break;
        }
    }
    return QString();
}

} // namespace exchange
