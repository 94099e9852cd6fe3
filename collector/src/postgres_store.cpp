// The shared store: PostgreSQL, for several collectors behind a load balancer. Reports go
// into a table partitioned by day (ranges of received_ms), so the retention drops whole
// days instead of deleting row by row. The connection is re-established by the next call
// after it was lost, so the service recovers by itself when the server is back.
#include <libpq-fe.h>

#include <memory>
#include <set>

#include "flat_json.h"
#include "report_store.h"

namespace {

constexpr int64_t kDayMs = 86400000;
constexpr size_t kRowsPerStatement = 500;
// Serialises the schema changes of all collectors sharing the database.
constexpr const char* kSchemaLock = "SELECT pg_advisory_xact_lock(7324901)";

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS reports ("
    " received_ms BIGINT NOT NULL, event TEXT NOT NULL, imei TEXT NOT NULL,"
    " channel TEXT NOT NULL, stub_version TEXT NOT NULL, os TEXT NOT NULL,"
    " bitness TEXT NOT NULL, address_class TEXT NOT NULL, data TEXT NOT NULL)"
    " PARTITION BY RANGE (received_ms);"
    "CREATE INDEX IF NOT EXISTS reports_received ON reports(received_ms);"
    "CREATE INDEX IF NOT EXISTS reports_imei ON reports(imei);"
    "CREATE TABLE IF NOT EXISTS refusals (received_ms BIGINT NOT NULL, reason TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS refusals_received ON refusals(received_ms);";

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class PostgresStore : public ReportStore {
 public:
  explicit PostgresStore(PGconn* conn) : conn_(conn) {}
  ~PostgresStore() override { PQfinish(conn_); }

  // Runs `sql` with text parameters; null with `error` unless it succeeded.
  Result Run(const std::string& sql, const std::vector<std::string>& params,
             std::string* error) {
    std::vector<const char*> values;
    values.reserve(params.size());
    for (const auto& p : params) values.push_back(p.c_str());
    Result r(PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr,
                          values.data(), nullptr, nullptr, 0));
    const auto status = PQresultStatus(r.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return r;
    *error = PQerrorMessage(conn_);
    return nullptr;
  }

  // Runs `sql`, which may hold several statements (no parameters).
  bool Exec(const std::string& sql, std::string* error) {
    Result r(PQexec(conn_, sql.c_str()));
    const auto status = PQresultStatus(r.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return true;
    *error = PQerrorMessage(conn_);
    return false;
  }

  // A lost connection is opened again here, by the next call that needs it.
  bool Connected(std::string* error) {
    if (PQstatus(conn_) == CONNECTION_OK) return true;
    PQreset(conn_);
    if (PQstatus(conn_) == CONNECTION_OK) return true;
    *error = PQerrorMessage(conn_);
    return false;
  }

  void Abandon() {
    std::string ignored;
    if (PQstatus(conn_) == CONNECTION_OK) Exec("ROLLBACK", &ignored);
    knownDays_.clear();
  }

  bool CreateSchema(std::string* error) {
    return Exec("BEGIN", error) && Exec(kSchemaLock, error) && Exec(kSchema, error) &&
           Exec("COMMIT", error);
  }

  // The partitions of the days in `reports`, created when missing (in its own transaction,
  // under the schema lock, so two collectors never race on the same day).
  bool EnsureDays(const std::vector<Report>& reports, std::string* error) {
    std::set<int64_t> missing;
    for (const auto& r : reports) {
      const int64_t day = r.receivedMs >= 0 ? r.receivedMs / kDayMs : (r.receivedMs + 1) / kDayMs - 1;
      if (!knownDays_.count(day)) missing.insert(day);
    }
    if (missing.empty()) return true;
    if (!Exec("BEGIN", error) || !Exec(kSchemaLock, error)) return false;
    for (int64_t day : missing) {
      const std::string sql = "CREATE TABLE IF NOT EXISTS reports_d" + std::to_string(day) +
                              " PARTITION OF reports FOR VALUES FROM (" +
                              std::to_string(day * kDayMs) + ") TO (" +
                              std::to_string((day + 1) * kDayMs) + ")";
      if (!Exec(sql, error)) return false;
    }
    if (!Exec("COMMIT", error)) return false;
    knownDays_.insert(missing.begin(), missing.end());
    return true;
  }

  bool Append(const std::vector<Report>& reports, const std::vector<RefusalRecord>& refusals,
              std::string* error) override {
    if (!Connected(error)) return false;
    bool ok = EnsureDays(reports, error) && Exec("BEGIN", error);
    for (size_t start = 0; ok && start < reports.size(); start += kRowsPerStatement) {
      const size_t end = std::min(reports.size(), start + kRowsPerStatement);
      std::string sql = "INSERT INTO reports VALUES ";
      std::vector<std::string> params;
      params.reserve((end - start) * 9);
      for (size_t i = start; i < end; ++i) {
        const Report& r = reports[i];
        const size_t n = params.size();
        sql += (i == start ? "(" : ",(");
        for (size_t k = 1; k <= 9; ++k)
          sql += "$" + std::to_string(n + k) + (k == 1 ? "::bigint" : "") + (k < 9 ? "," : ")");
        params.insert(params.end(), {std::to_string(r.receivedMs), r.event, r.imei, r.channel,
                                     r.stubVersion, r.os, r.bitness, r.addressClass,
                                     JsonObjectOfStrings(r.data)});
      }
      ok = Run(sql, params, error) != nullptr;
    }
    for (size_t i = 0; ok && i < refusals.size(); ++i)
      ok = Run("INSERT INTO refusals VALUES ($1::bigint, $2)",
               {std::to_string(refusals[i].receivedMs), refusals[i].reason}, error) != nullptr;
    if (ok && Exec("COMMIT", error)) return true;
    Abandon();
    return false;
  }

  bool Scan(const ReportFilter& filter, const std::function<void(const Report&)>& each,
            std::string* error) override {
    if (!Connected(error)) return false;
    Result rows = Run(
        "SELECT received_ms, event, imei, channel, stub_version, os, bitness, address_class,"
        " data FROM reports WHERE received_ms >= $1::bigint AND received_ms < $2::bigint"
        " AND ($3 = '' OR channel = $3) AND ($4 = '' OR stub_version = $4)"
        " ORDER BY received_ms",
        {std::to_string(filter.sinceMs), std::to_string(filter.untilMs), filter.channel,
         filter.stubVersion},
        error);
    if (!rows) return false;
    for (int i = 0, n = PQntuples(rows.get()); i < n; ++i) {
      auto text = [&](int column) {
        return std::string(PQgetvalue(rows.get(), i, column), PQgetlength(rows.get(), i, column));
      };
      Report r;
      r.receivedMs = std::stoll(text(0));
      r.event = text(1);
      r.imei = text(2);
      r.channel = text(3);
      r.stubVersion = text(4);
      r.os = text(5);
      r.bitness = text(6);
      r.addressClass = text(7);
      FlatObject data;
      ParseFlatObject(text(8), {}, &data);
      r.data = std::move(data.members);
      each(r);
    }
    return true;
  }

  bool ScanRefusals(int64_t sinceMs, int64_t untilMs,
                    const std::function<void(const RefusalRecord&)>& each,
                    std::string* error) override {
    if (!Connected(error)) return false;
    Result rows = Run(
        "SELECT received_ms, reason FROM refusals WHERE received_ms >= $1::bigint"
        " AND received_ms < $2::bigint ORDER BY received_ms",
        {std::to_string(sinceMs), std::to_string(untilMs)}, error);
    if (!rows) return false;
    for (int i = 0, n = PQntuples(rows.get()); i < n; ++i)
      each({std::stoll(PQgetvalue(rows.get(), i, 0)), PQgetvalue(rows.get(), i, 1)});
    return true;
  }

  int64_t Affected(const Result& r) { return r ? std::stoll(PQcmdTuples(r.get())) : -1; }

  // Whole days before the cutoff are dropped; the day the cutoff falls in is trimmed.
  int64_t DeleteBefore(int64_t cutoffMs, std::string* error) override {
    if (!Connected(error)) return -1;
    Result days = Run(
        "SELECT c.relname FROM pg_inherits i JOIN pg_class c ON c.oid = i.inhrelid"
        " JOIN pg_class p ON p.oid = i.inhparent WHERE p.relname = 'reports'",
        {}, error);
    if (!days) return -1;
    int64_t deleted = 0;
    for (int i = 0, n = PQntuples(days.get()); i < n; ++i) {
      const std::string name = PQgetvalue(days.get(), i, 0);
      if (name.compare(0, 9, "reports_d") != 0) continue;
      const int64_t day = std::stoll(name.substr(9));
      if ((day + 1) * kDayMs > cutoffMs) continue;
      Result count = Run("SELECT count(*) FROM " + name, {}, error);
      if (!count || !Exec("BEGIN", error) || !Exec(kSchemaLock, error) ||
          !Exec("DROP TABLE " + name, error) || !Exec("COMMIT", error)) {
        Abandon();
        return -1;
      }
      knownDays_.erase(day);
      deleted += std::stoll(PQgetvalue(count.get(), 0, 0));
    }
    const std::string cutoff = std::to_string(cutoffMs);
    const int64_t trimmed =
        Affected(Run("DELETE FROM reports WHERE received_ms < $1::bigint", {cutoff}, error));
    if (trimmed < 0 ||
        !Run("DELETE FROM refusals WHERE received_ms < $1::bigint", {cutoff}, error))
      return -1;
    return deleted + trimmed;
  }

  int64_t DeleteIdentifier(const std::string& imei, std::string* error) override {
    if (!Connected(error)) return -1;
    return Affected(Run("DELETE FROM reports WHERE imei = $1", {imei}, error));
  }

 private:
  PGconn* conn_;
  std::set<int64_t> knownDays_;  // partitions known to exist
};

}  // namespace

std::unique_ptr<ReportStore> OpenPostgresStore(const std::string& conninfo, std::string* error) {
  PGconn* conn = PQconnectdb(conninfo.c_str());
  auto store = std::make_unique<PostgresStore>(conn);
  if (PQstatus(conn) != CONNECTION_OK) {
    *error = PQerrorMessage(conn);
    return nullptr;
  }
  std::string ignored;
  store->Exec("SET client_min_messages = warning", &ignored);
  if (!store->CreateSchema(error)) return nullptr;
  return store;
}
