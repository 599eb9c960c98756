// Preprocessing of a resource script: comments, #include, object-like
// #define/#undef, conditional sections (#if, #ifdef, #ifndef, #elif, #else,
// #endif) and macro substitution. Included C headers (.h, .hpp, .c) only
// contribute their directives, so a header of ids can be shared with code.
#pragma once

#include "token.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace rc {

class Preprocessor {
public:
    explicit Preprocessor(std::vector<std::string> includeDirs) : includeDirs_(std::move(includeDirs)) {}

    void define(const std::string& name, const std::string& value);
    // Appends the tokens of a file (macros expanded) to the output.
    void run(const std::string& path);

    const std::vector<Token>& tokens() const { return out_; }
    // Every file read, for the build's dependency file.
    const std::set<std::string>& files() const { return files_; }
    const std::vector<std::string>& includeDirs() const { return includeDirs_; }

private:
    struct Cond {
        bool parentActive;
        bool taken;   // some branch of this #if chain was active
        bool active;  // the current branch is active
        bool sawElse;
    };

    void processFile(const std::string& path, bool directivesOnly, int depth);
    void directive(const std::string& body, const Origin& at, const std::string& dir, bool directivesOnly,
                   int depth);
    bool active() const { return conds_.empty() || conds_.back().active; }
    bool evalCondition(const std::vector<Token>& toks, const Origin& at);
    void expand(const std::vector<Token>& in, std::vector<Token>& out, std::set<std::string>& busy) const;
    std::string resolveInclude(const std::string& name, const std::string& fromDir, bool angled) const;

    std::vector<std::string> includeDirs_;
    std::map<std::string, std::vector<Token>> macros_;
    std::vector<Cond> conds_;
    std::vector<Token> out_;
    std::set<std::string> files_;
};

}  // namespace rc
