// SPDX-License-Identifier: MIT
#include "BashCompletion.h"

#include "OptionTable.h"

#include <vector>

namespace {

std::string Offer(const ValueCompletion& completion)
{
    switch (completion.kind) {
    case ValueCompletion::Words:
        return "            COMPREPLY=($(compgen -W '" + completion.text + "' -- \"$cur\"))\n";
    case ValueCompletion::Files:
        return "            _filedir '" + completion.text + "'\n";
    case ValueCompletion::Nothing:
        break;
    }
    return "            # A value of the user's own: nothing to offer.\n";
}

bool Same(const ValueCompletion& a, const ValueCompletion& b)
{
    return a.kind == b.kind && a.text == b.text;
}

} // namespace

std::string BashCompletion()
{
    // The options that take a value, grouped by what is offered for it, in the
    // order each offer first appears.
    std::vector<std::pair<std::string, const ValueCompletion*>> cases;
    std::string names;
    for (const OptionRow& row : OptionTable()) {
        if (!names.empty())
            names += ' ';
        names += row.name;
        if (row.value.empty())
            continue;
        auto same = cases.begin();
        while (same != cases.end() && !Same(*same->second, row.completion))
            ++same;
        if (same == cases.end())
            cases.emplace_back(row.name, &row.completion);
        else
            same->first += " | " + row.name;
    }
    std::string script =
        "# SPDX-License-Identifier: MIT\n"
        "# bash completion for driftmote-sim                          -*- shell-script -*-\n"
        "# Made from the program's option table when it is built.\n"
        "\n"
        "_driftmote_sim()\n"
        "{\n"
        "    local cur prev words cword split\n"
        "    _init_completion -s || return\n"
        "\n"
        "    case $prev in\n";
    for (const auto& [options, completion] : cases)
        script += "        " + options + ")\n" + Offer(*completion) + "            return\n            ;;\n";
    return script +
           "    esac\n"
           "\n"
           "    $split && return\n"
           "\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W '" + names + "' -- \"$cur\"))\n"
           "        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace\n"
           "    fi\n"
           "} &&\n"
           "    complete -F _driftmote_sim driftmote-sim\n"
           "\n"
           "# ex: filetype=sh\n";
}
