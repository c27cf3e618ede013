#include "AdmChecker.h"

#include <set>

#include "tools/admgen/AdmTemplate.h"

namespace admgen {

namespace {

// Words of a line; a quoted word keeps its quotes.
std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        if (line[i] == '"') {
            end = line.find('"', i + 1);
            end = end == std::string_view::npos ? line.size() : end + 1;
        } else {
            while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
        }
        words.emplace_back(line.substr(i, end - i));
        i = end;
    }
    return words;
}

bool IsQuoted(const std::string& w) {
    return w.size() >= 2 && w.front() == '"' && w.back() == '"';
}

bool IsValue(const std::vector<std::string>& w) {
    if (w.size() == 2) return w[1] == "DELETE" || IsQuoted(w[1]);
    return w.size() == 3 && w[1] == "NUMERIC" && !w[2].empty() &&
           w[2].find_first_not_of("0123456789") == std::string::npos;
}

class Reader {
  public:
    AdmReading Read(std::string_view file);

  private:
    void Fault(const std::string& what) {
        reading_.faults.push_back("line " + std::to_string(n_) + ": " + what);
    }
    void Reference(const std::string& word, std::size_t limit) {
        if (word.rfind("!!", 0) != 0) return;
        refs_.push_back({word.substr(2), limit, n_});
    }
    void Structure(const std::vector<std::string>& w);
    void String(std::string_view line);

    struct Ref {
        std::string name;
        std::size_t limit;
        int line;
    };
    AdmReading reading_;
    std::vector<Ref> refs_;
    int n_ = 0;
    std::string cls_;
    int categories_ = 0;
    int ifs_ = 0;
    bool inPolicy_ = false;
    bool inStrings_ = false;
    std::vector<std::string> categoryKeys_;
    AdmPolicy policy_;
};

void Reader::Structure(const std::vector<std::string>& w) {
    const std::string& k = w[0];
    const bool one = w.size() == 2;
    if (k == "#if") {
        ++ifs_;
    } else if (k == "#endif") {
        if (--ifs_ < 0) Fault("#endif without #if");
    } else if (k == "CLASS" && one && (w[1] == "MACHINE" || w[1] == "USER")) {
        if (categories_ != 0) Fault("CLASS inside a category");
        cls_ = w[1];
    } else if (k == "CATEGORY" && one) {
        if (cls_.empty() || inPolicy_) Fault("CATEGORY outside a class or inside a policy");
        Reference(w[1], kMaxTitleLength);
        ++categories_;
        categoryKeys_.emplace_back();
    } else if (k == "POLICY" && one) {
        if (categories_ == 0 || inPolicy_) Fault("POLICY outside a category or inside a policy");
        Reference(w[1], kMaxTitleLength);
        inPolicy_ = true;
        policy_ =
            AdmPolicy{cls_, w[1].substr(w[1].rfind("!!", 0) == 0 ? 2 : 0), "", "", "", "", ""};
    } else if (k == "KEYNAME" && one && IsQuoted(w[1])) {
        const std::string key = w[1].substr(1, w[1].size() - 2);
        if (inPolicy_)
            policy_.keyName = key;
        else if (categories_ > 0)
            categoryKeys_.back() = key;
        else
            Fault("KEYNAME outside a category");
    } else if (k == "EXPLAIN" && one) {
        Reference(w[1], kMaxExplainLength);
        if (inPolicy_)
            policy_.explain = w[1].substr(2);
        else if (categories_ > 0)
            reading_.categoryExplains.push_back(w[1].substr(2));
        else
            Fault("EXPLAIN outside a category");
    } else if (k == "VALUENAME" && one && IsQuoted(w[1]) && inPolicy_) {
        policy_.valueName = w[1].substr(1, w[1].size() - 2);
    } else if ((k == "VALUEON" || k == "VALUEOFF") && inPolicy_ && IsValue(w)) {
        (k == "VALUEON" ? policy_.valueOn : policy_.valueOff) =
            w.size() == 3 ? w[1] + " " + w[2] : w[1];
    } else if (k == "END" && one && w[1] == "POLICY") {
        if (!inPolicy_) Fault("END POLICY without POLICY");
        if (policy_.keyName.empty() && !categoryKeys_.empty())
            policy_.keyName = categoryKeys_.back();
        if (policy_.keyName.empty()) Fault("a policy without KEYNAME");
        if (policy_.valueName.empty()) Fault("a policy without VALUENAME");
        if (inPolicy_) reading_.policies.push_back(policy_);
        inPolicy_ = false;
    } else if (k == "END" && one && w[1] == "CATEGORY") {
        if (categories_ == 0 || inPolicy_)
            Fault("END CATEGORY without CATEGORY or inside a policy");
        if (categories_ > 0) {
            --categories_;
            categoryKeys_.pop_back();
        }
    } else {
        Fault("not understood: " + k);
    }
}

void Reader::String(std::string_view line) {
    const std::size_t eq = line.find('=');
    const std::string name(line.substr(0, eq));
    if (eq == std::string_view::npos || name.empty() ||
        name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_") !=
            std::string::npos) {
        Fault("a string without a plain name");
        return;
    }
    const std::string_view value = line.substr(eq + 1);
    if (value.size() < 2 || value.front() != '"' || value.back() != '"' ||
        value.substr(1, value.size() - 2).find('"') != std::string_view::npos) {
        Fault("string " + name + " is not one quoted text");
        return;
    }
    if (!reading_.strings.emplace(name, std::string(value.substr(1, value.size() - 2))).second)
        Fault("string " + name + " is defined twice");
}

AdmReading Reader::Read(std::string_view file) {
    std::size_t start = 0;
    while (start < file.size()) {
        std::size_t end = file.find('\n', start);
        if (end == std::string_view::npos) end = file.size();
        std::string_view line = file.substr(start, end - start);
        start = end + 1;
        ++n_;
        if (line.empty() || line.back() != '\r')
            Fault("the line does not end in CR LF");
        else
            line.remove_suffix(1);
        const std::vector<std::string> words = Words(line);
        if (words.empty() || words[0][0] == ';') continue;
        if (line == "[strings]") {
            if (categories_ != 0 || inPolicy_ || ifs_ != 0) Fault("[strings] inside an open block");
            inStrings_ = true;
        } else if (inStrings_) {
            String(line);
        } else {
            if (line.size() > kMaxAdmLine) Fault("the line is too long");
            Structure(words);
        }
    }
    if (!inStrings_) Fault("no [strings] section");
    if (categories_ != 0 || inPolicy_ || ifs_ != 0) Fault("a block is not closed");
    for (const Ref& r : refs_) {
        auto it = reading_.strings.find(r.name);
        if (it == reading_.strings.end())
            reading_.faults.push_back("line " + std::to_string(r.line) + ": !!" + r.name +
                                      " is not in [strings]");
        else if (it->second.size() > r.limit)
            reading_.faults.push_back("string " + r.name + " is too long");
    }
    return std::move(reading_);
}

}  // namespace

AdmReading ReadAdm(std::string_view file) {
    return Reader().Read(file);
}

}  // namespace admgen
