// The embedded store: one SQLite file in WAL mode, so readers (the report page) never block
// the writer. A batch is one transaction; with synchronous=NORMAL a committed transaction
// survives the process being killed (only a power cut may lose the last ones).
#include <sqlite3.h>

#include "flat_json.h"
#include "report_store.h"

namespace {

const char kSchema[] =
    "CREATE TABLE IF NOT EXISTS reports ("
    " received_ms INTEGER NOT NULL, event TEXT NOT NULL, imei TEXT NOT NULL,"
    " channel TEXT NOT NULL, stub_version TEXT NOT NULL, os TEXT NOT NULL,"
    " bitness TEXT NOT NULL, address_class TEXT NOT NULL, data TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS reports_received ON reports(received_ms);"
    "CREATE INDEX IF NOT EXISTS reports_imei ON reports(imei);"
    "CREATE TABLE IF NOT EXISTS refusals (received_ms INTEGER NOT NULL, reason TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS refusals_received ON refusals(received_ms);";

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }
  void Bind(int i, const std::string& text) {
    sqlite3_bind_text(stmt_, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  }
  void Bind(int i, int64_t value) { sqlite3_bind_int64(stmt_, i, value); }
  std::string Text(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return p ? std::string(p, sqlite3_column_bytes(stmt_, i)) : std::string();
  }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

class SqliteStore : public ReportStore {
 public:
  explicit SqliteStore(sqlite3* db) : db_(db) {}
  ~SqliteStore() override { sqlite3_close(db_); }

  bool Exec(const char* sql, std::string* error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    *error = message ? message : "sqlite error";
    sqlite3_free(message);
    return false;
  }

  bool Fail(std::string* error) {
    *error = sqlite3_errmsg(db_);
    return false;
  }

  bool Append(const std::vector<Report>& reports, const std::vector<RefusalRecord>& refusals,
              std::string* error) override {
    if (!Exec("BEGIN IMMEDIATE", error)) return false;
    Statement insert(db_,
                     "INSERT INTO reports VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
    Statement refuse(db_, "INSERT INTO refusals VALUES (?1, ?2)");
    bool ok = insert.get() && refuse.get();
    for (size_t i = 0; ok && i < reports.size(); ++i) {
      const Report& r = reports[i];
      insert.Bind(1, r.receivedMs);
      insert.Bind(2, r.event);
      insert.Bind(3, r.imei);
      insert.Bind(4, r.channel);
      insert.Bind(5, r.stubVersion);
      insert.Bind(6, r.os);
      insert.Bind(7, r.bitness);
      insert.Bind(8, r.addressClass);
      insert.Bind(9, JsonObjectOfStrings(r.data));
      ok = sqlite3_step(insert.get()) == SQLITE_DONE;
      sqlite3_reset(insert.get());
    }
    for (size_t i = 0; ok && i < refusals.size(); ++i) {
      refuse.Bind(1, refusals[i].receivedMs);
      refuse.Bind(2, refusals[i].reason);
      ok = sqlite3_step(refuse.get()) == SQLITE_DONE;
      sqlite3_reset(refuse.get());
    }
    if (!ok) {
      Fail(error);
    } else if (Exec("COMMIT", error)) {
      return true;
    }
    std::string ignored;
    Exec("ROLLBACK", &ignored);
    return false;
  }

  bool Scan(const ReportFilter& filter, const std::function<void(const Report&)>& each,
            std::string* error) override {
    Statement select(db_,
                     "SELECT received_ms, event, imei, channel, stub_version, os, bitness,"
                     " address_class, data FROM reports"
                     " WHERE received_ms >= ?1 AND received_ms < ?2"
                     " AND (?3 = '' OR channel = ?3) AND (?4 = '' OR stub_version = ?4)"
                     " ORDER BY received_ms, rowid");
    if (!select.get()) return Fail(error);
    select.Bind(1, filter.sinceMs);
    select.Bind(2, filter.untilMs);
    select.Bind(3, filter.channel);
    select.Bind(4, filter.stubVersion);
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
      Report r;
      r.receivedMs = sqlite3_column_int64(select.get(), 0);
      r.event = select.Text(1);
      r.imei = select.Text(2);
      r.channel = select.Text(3);
      r.stubVersion = select.Text(4);
      r.os = select.Text(5);
      r.bitness = select.Text(6);
      r.addressClass = select.Text(7);
      FlatObject data;
      ParseFlatObject(select.Text(8), {}, &data);
      r.data = std::move(data.members);
      each(r);
    }
    return rc == SQLITE_DONE || Fail(error);
  }

  bool ScanRefusals(int64_t sinceMs, int64_t untilMs,
                    const std::function<void(const RefusalRecord&)>& each,
                    std::string* error) override {
    Statement select(db_,
                     "SELECT received_ms, reason FROM refusals"
                     " WHERE received_ms >= ?1 AND received_ms < ?2 ORDER BY received_ms");
    if (!select.get()) return Fail(error);
    select.Bind(1, sinceMs);
    select.Bind(2, untilMs);
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW)
      each({sqlite3_column_int64(select.get(), 0), select.Text(1)});
    return rc == SQLITE_DONE || Fail(error);
  }

  int64_t Delete(const char* sql, const std::string* text, int64_t number, std::string* error) {
    Statement del(db_, sql);
    if (!del.get()) return Fail(error), -1;
    if (text) del.Bind(1, *text); else del.Bind(1, number);
    if (sqlite3_step(del.get()) != SQLITE_DONE) return Fail(error), -1;
    return sqlite3_changes(db_);
  }

  int64_t DeleteBefore(int64_t cutoffMs, std::string* error) override {
    if (Delete("DELETE FROM refusals WHERE received_ms < ?1", nullptr, cutoffMs, error) < 0)
      return -1;
    return Delete("DELETE FROM reports WHERE received_ms < ?1", nullptr, cutoffMs, error);
  }

  int64_t DeleteIdentifier(const std::string& imei, std::string* error) override {
    return Delete("DELETE FROM reports WHERE imei = ?1", &imei, 0, error);
  }

 private:
  sqlite3* db_;
};

}  // namespace

std::unique_ptr<ReportStore> OpenSqliteStore(const std::string& path, std::string* error) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
      SQLITE_OK) {
    *error = db ? sqlite3_errmsg(db) : "cannot open " + path;
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  auto store = std::make_unique<SqliteStore>(db);
  if (!store->Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", error) ||
      !store->Exec(kSchema, error))
    return nullptr;
  return store;
}
