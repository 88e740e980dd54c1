#pragma once

// Just enough of an XML reader to tell whether a report is well formed and to walk its elements:
// a prolog, elements with quoted attributes, character data and the predefined and numeric
// references. Anything else (a DOCTYPE, CDATA, a stray '<' or '&', mismatched tags, a character
// XML 1.0 forbids) makes parse() fail with a reason.

#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace parvex::test {

struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;  // character data directly inside, references resolved
    std::vector<std::unique_ptr<XmlElement>> children;

    std::vector<const XmlElement*> all(const std::string& tag) const {
        std::vector<const XmlElement*> found;
        for (const auto& c : children) {
            if (c->name == tag) found.push_back(c.get());
            for (const XmlElement* d : c->all(tag)) found.push_back(d);
        }
        return found;
    }
};

class MiniXml {
public:
    explicit MiniXml(std::string text) : m_s(std::move(text)) {}

    std::unique_ptr<XmlElement> parse() {
        if (!legalCharacters()) return nullptr;
        if (m_s.compare(0, 5, "<?xml") == 0) {
            const auto end = m_s.find("?>");
            if (end == std::string::npos) return fail("unterminated prolog");
            m_i = end + 2;
        }
        skipSpace();
        auto root = element();
        if (!root) return nullptr;
        skipSpace();
        if (m_i != m_s.size()) return fail("content after the root element");
        return root;
    }
    const std::string& error() const { return m_error; }

private:
    std::unique_ptr<XmlElement> fail(const std::string& why) {
        if (m_error.empty()) m_error = why + " at " + std::to_string(m_i);
        return nullptr;
    }

    bool legalCharacters() {
        for (std::size_t i = 0; i < m_s.size(); ++i) {
            const auto c = static_cast<unsigned char>(m_s[i]);
            if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
                m_i = i;
                fail("control character");
                return false;
            }
        }
        return true;
    }

    void skipSpace() {
        while (m_i < m_s.size() && (m_s[m_i] == ' ' || m_s[m_i] == '\n' || m_s[m_i] == '\t' || m_s[m_i] == '\r'))
            ++m_i;
    }

    std::string name() {
        const std::size_t start = m_i;
        while (m_i < m_s.size() && (std::isalnum(static_cast<unsigned char>(m_s[m_i])) || m_s[m_i] == '-' ||
                                    m_s[m_i] == '_' || m_s[m_i] == ':' || m_s[m_i] == '.'))
            ++m_i;
        return m_s.substr(start, m_i - start);
    }

    static void appendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // Character data up to the next '<' (or the closing quote), references resolved.
    std::optional<std::string> characters(char stop) {
        std::string out;
        while (m_i < m_s.size() && m_s[m_i] != stop) {
            const char c = m_s[m_i];
            if (c == '<') {
                fail("'<' in character data");
                return std::nullopt;
            }
            if (c != '&') {
                out += c;
                ++m_i;
                continue;
            }
            const auto semi = m_s.find(';', m_i);
            if (semi == std::string::npos) {
                fail("unterminated reference");
                return std::nullopt;
            }
            const std::string ref = m_s.substr(m_i + 1, semi - m_i - 1);
            static const std::map<std::string, char> kNamed{
                {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
            if (const auto it = kNamed.find(ref); it != kNamed.end()) {
                out += it->second;
            } else if (ref.size() > 1 && ref[0] == '#') {
                const bool hex = ref[1] == 'x';
                const std::string digits = ref.substr(hex ? 2 : 1);
                if (digits.empty() ||
                    digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
                    fail("bad character reference");
                    return std::nullopt;
                }
                const auto cp = static_cast<std::uint32_t>(std::stoul(digits, nullptr, hex ? 16 : 10));
                const bool legal = cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
                                   (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
                if (!legal) {
                    fail("reference to a character XML forbids");
                    return std::nullopt;
                }
                appendUtf8(out, cp);
            } else {
                fail("unknown entity");
                return std::nullopt;
            }
            m_i = semi + 1;
        }
        return out;
    }

    std::unique_ptr<XmlElement> element() {
        if (m_i >= m_s.size() || m_s[m_i] != '<') return fail("expected an element");
        ++m_i;
        auto e = std::make_unique<XmlElement>();
        e->name = name();
        if (e->name.empty()) return fail("element without a name");
        for (;;) {
            skipSpace();
            if (m_i >= m_s.size()) return fail("unterminated start tag");
            if (m_s.compare(m_i, 2, "/>") == 0) {
                m_i += 2;
                return e;
            }
            if (m_s[m_i] == '>') {
                ++m_i;
                break;
            }
            const std::string attr = name();
            if (attr.empty() || m_i >= m_s.size() || m_s[m_i] != '=') return fail("bad attribute");
            ++m_i;
            if (m_i >= m_s.size() || (m_s[m_i] != '"' && m_s[m_i] != '\'')) return fail("unquoted attribute");
            const char quote = m_s[m_i++];
            const auto value = characters(quote);
            if (!value || m_i >= m_s.size()) return fail("unterminated attribute");
            ++m_i;
            if (!e->attributes.emplace(attr, *value).second) return fail("attribute given twice");
        }
        for (;;) {
            const auto text = characters('<');
            if (!text) return nullptr;
            e->text += *text;
            if (m_i >= m_s.size()) return fail("unterminated element " + e->name);
            if (m_s.compare(m_i, 2, "</") == 0) {
                m_i += 2;
                if (name() != e->name) return fail("mismatched end tag for " + e->name);
                skipSpace();
                if (m_i >= m_s.size() || m_s[m_i] != '>') return fail("bad end tag");
                ++m_i;
                return e;
            }
            auto child = element();
            if (!child) return nullptr;
            e->children.push_back(std::move(child));
        }
    }

    std::string m_s;
    std::size_t m_i = 0;
    std::string m_error;
};

}  // namespace parvex::test
