#include "tools/sql/linkTable.h"

#include "core/mdlText.h"

namespace qb {

std::string capName(std::string_view tableName)
{
    return capFirst(tableName);
}

std::string linkTableScript(std::string_view tableName, const std::vector<std::string>& idNames)
{
    const std::string table(tableName);
    const std::string capitalised = capName(tableName);

    std::string script = "drop table " + table + ";\r\n";
    script += "create table " + table + " (\r\n";
    // Every column line ends in a comma; the last one's comma and line break are cut below.
    script += "\t" + table + "Id NUMBER,\r\n";
    for (const std::string& id : idNames)
        script += "\t" + id + " NUMBER,\r\n";
    script.resize(script.size() - 3);
    script += "\r\n);\r\n";

    script += "drop sequence seq" + capitalised + ";\r\n";
    script += "create sequence seq" + capitalised + "\r\n";
    script += "\tstart with 1\r\n";
    script += "\tincrement by 1\r\n";
    script += "\tnomaxvalue;\r\n";
    script += "create or replace trigger trig" + capitalised + "\r\n";
    script += "\tbefore insert on " + table + "\r\n";
    script += "\tfor each row\r\n";
    script += "\tbegin\r\n";
    script += "\t\tselect seq" + capitalised + ".nextval into :new." + table + "Id from dual;\r\n";
    script += "\tend;\r\n";
    script += "/";
    return script;
}

}  // namespace qb
