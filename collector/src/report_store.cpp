#include "report_store.h"

std::unique_ptr<ReportStore> OpenReportStore(const std::string& where, std::string* error) {
  const std::string sqlite = "sqlite:";
  const std::string postgres = "postgresql:";
  if (where.compare(0, sqlite.size(), sqlite) == 0)
    return OpenSqliteStore(where.substr(sqlite.size()), error);
  if (where.compare(0, postgres.size(), postgres) == 0)
    return OpenPostgresStore(where.substr(postgres.size()), error);
  *error = "a database is \"sqlite:<file>\" or \"postgresql:<connection>\", not \"" + where + "\"";
  return nullptr;
}
