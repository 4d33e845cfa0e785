#include "pg_store.h"

#include "app_data.h"
#include "file_commit.h"
#include "ini_file.h"
#include "money_settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>

#include <libpq-fe.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace {

// First key of the session advisory locks that hold bills; the second is the bill number.
constexpr int HoldClass = 0x4e52; // "NR"
// Bill numbers a desk takes at a time: the numbers of one run, never shared.
constexpr qint64 BillNumberBlock = 100000;
constexpr char NoticeChannel[] = "norvel_bills";

const char *const SchemaSql = R"sql(
CREATE TABLE norvel_schema (version integer NOT NULL);
INSERT INTO norvel_schema VALUES (1);
-- The files of the data folder the database stands for (record files that
-- exist, and the settings file and logo with their bytes).
CREATE TABLE stored_files (name text PRIMARY KEY, content bytea);
CREATE TABLE base_data (id integer PRIMARY KEY CHECK (id = 1), record bytea NOT NULL);
CREATE TABLE items (
  category smallint NOT NULL CHECK (category BETWEEN 0 AND 8),
  position integer NOT NULL CHECK (position >= 0),
  item_key bigint NOT NULL,
  in_use boolean NOT NULL,
  record bytea NOT NULL CHECK (length(record) = 88),
  PRIMARY KEY (category, position),
  CHECK (NOT in_use OR CASE category
    WHEN 0 THEN item_key BETWEEN 1601001 AND 1601100
    WHEN 1 THEN item_key BETWEEN 1601101 AND 1601800
    WHEN 2 THEN item_key BETWEEN 1601801 AND 1601989
    WHEN 3 THEN item_key BETWEEN 1602000 AND 1602999
    WHEN 4 THEN item_key BETWEEN 1106000 AND 1106999
    WHEN 6 THEN item_key BETWEEN 101000 AND 101999
    WHEN 7 THEN item_key BETWEEN 102000 AND 102999
    WHEN 8 THEN item_key BETWEEN 1105000 AND 1105999
    ELSE true END));
CREATE TABLE bills (
  bill_no bigint PRIMARY KEY CHECK (bill_no BETWEEN 0 AND 4294967295),
  last_save text NOT NULL DEFAULT '');
-- Lines in the order of seq, which is the order of reserve.dat.
CREATE SEQUENCE record_order;
CREATE TABLE bill_lines (
  seq bigint PRIMARY KEY,
  bill_no bigint NOT NULL REFERENCES bills ON DELETE CASCADE,
  record bytea NOT NULL CHECK (length(record) = 372));
CREATE INDEX bill_lines_bill ON bill_lines (bill_no, seq);
CREATE TABLE receivables (
  seq bigint PRIMARY KEY,
  bill_no bigint NOT NULL REFERENCES bills ON DELETE CASCADE,
  record bytea NOT NULL CHECK (length(record) = 88));
CREATE INDEX receivables_bill ON receivables (bill_no);
CREATE TABLE bill_numbers (one integer PRIMARY KEY CHECK (one = 1),
  next bigint NOT NULL CHECK (next BETWEEN 0 AND 4294967296));
INSERT INTO bill_numbers VALUES (1, 0);
-- Which desk a session is, for "held at desk ...".
CREATE TABLE desk_sessions (pid integer PRIMARY KEY, desk text NOT NULL);
)sql";

// From each version to the next, in order: the schema of version N + 1 is
// that of N with step N - 1 run on it. A new database gets the first version
// and every step, so that a fresh schema and an upgraded one are the same.
const char *const SchemaSteps[] = {
    // 2: the record of receipts issued, in the order issued (receipts.dat).
    // An issue outlives its bill, as in the record file: no tie to bills.
    R"sql(
CREATE TABLE receipt_issues (
  seq bigint PRIMARY KEY,
  bill_no bigint NOT NULL CHECK (bill_no BETWEEN 0 AND 4294967295),
  record bytea NOT NULL CHECK (length(record) = 32));
CREATE INDEX receipt_issues_bill ON receipt_issues (bill_no, seq);
UPDATE norvel_schema SET version = 2;
)sql",
};
static_assert(std::size(SchemaSteps) + 1 == PgSchemaVersion);

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

uint32_t readBe32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return uint32_t(u[0]) << 24 | uint32_t(u[1]) << 16 | uint32_t(u[2]) << 8 | uint32_t(u[3]);
}
void appendBe16(QByteArray &b, int16_t v)
{
    b.append(char((uint16_t(v) >> 8) & 0xff)).append(char(uint16_t(v) & 0xff));
}
void appendBe32(QByteArray &b, uint32_t v)
{
    for (int s = 24; s >= 0; s -= 8)
        b.append(char((v >> s) & 0xff));
}
void appendBe64(QByteArray &b, uint64_t v)
{
    for (int s = 56; s >= 0; s -= 8)
        b.append(char((v >> s) & 0xff));
}

// Rows of a binary COPY into the server.
class CopyRows {
public:
    CopyRows() { buf.append("PGCOPY\n\377\r\n\0", 11), appendBe32(buf, 0), appendBe32(buf, 0); }
    void row(int fields) { appendBe16(buf, int16_t(fields)); }
    void int8(qint64 v) { appendBe32(buf, 8), appendBe64(buf, uint64_t(v)); }
    void int4(qint32 v) { appendBe32(buf, 4), appendBe32(buf, uint32_t(v)); }
    void int2(qint16 v) { appendBe32(buf, 2), appendBe16(buf, v); }
    void null() { appendBe32(buf, 0xffffffffu); }
    void boolean(bool v) { appendBe32(buf, 1), buf.append(char(v ? 1 : 0)); }
    void bytes(const void *p, int n) { appendBe32(buf, uint32_t(n)), buf.append(static_cast<const char *>(p), n); }
    QByteArray finish()
    {
        appendBe16(buf, -1);
        return buf;
    }

private:
    QByteArray buf;
};

// The fields of one row of a binary COPY out, in place in its buffer.
struct CopyFields {
    std::array<const char *, 4> at{};
    std::array<int, 4> size{};
    int count = 0;
    void add(const char *p, int n) { at[size_t(count)] = p, size[size_t(count)] = n, ++count; }
    std::pair<const char *, int> operator[](int i) const { return {at[size_t(i)], size[size_t(i)]}; }
    std::pair<const char *, int> back() const { return (*this)[count - 1]; }
};

quint64 lineHash(const TReserveData &r, quint64 h) { return h * 1099511628211ull ^ qHashBits(&r, sizeof r, 7); }
quint64 receivableHash(const TUrikakeData &u, quint64 h) { return h * 1099511628211ull ^ qHashBits(&u, sizeof u, 11); }

// One hash per bill of its lines and receivables in order.
std::unordered_map<uint32_t, quint64> billHashes(const RecordList<TReserveData> &reserve,
                                                 const RecordList<TUrikakeData> &urikake)
{
    std::unordered_map<uint32_t, quint64> h;
    for (const TReserveData &r : reserve)
        h[r.MeiNo] = lineHash(r, h[r.MeiNo]);
    for (const TUrikakeData &u : urikake)
        h[u.MeiNo] = receivableHash(u, h[u.MeiNo] ^ 0x5555);
    return h;
}

QString pgText(const char *s) { return QString::fromUtf8(s).trimmed(); }

bool isConnectionLost(PGconn *c) { return !c || PQstatus(c) != CONNECTION_OK; }

const QString LostMessage = QStringLiteral("データベースサーバーとの接続が切れました。");

} // namespace

struct PgStore::Impl {
    QString connection;
    QString desk;
    PGconn *conn = nullptr;
    std::unordered_map<uint32_t, quint64> known; // bills as this desk last read or wrote them
    std::unordered_set<uint32_t> held;
    QString error;
    QElapsedTimer lastTry; // the last reconnection the notice poll tried

    ~Impl()
    {
        if (conn)
            PQfinish(conn);
    }

    bool failed(const QString &what, PGresult *r = nullptr)
    {
        QString m = r ? pgText(PQresultErrorMessage(r)) : QString();
        if (m.isEmpty() && conn)
            m = pgText(PQerrorMessage(conn));
        error = what + (m.isEmpty() ? QString() : QStringLiteral("\n") + m);
        return false;
    }

    Result exec(const QByteArray &sql) { return Result(PQexec(conn, sql.constData())); }
    // Text parameters, results in binary when binary is set.
    Result exec(const char *sql, const QList<QByteArray> &params, bool binary = false)
    {
        std::vector<const char *> values;
        for (const QByteArray &p : params)
            values.push_back(p.constData());
        return Result(PQexecParams(conn, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr,
                                   binary ? 1 : 0));
    }
    bool ok(const Result &r, const QString &what)
    {
        const ExecStatusType s = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK)
            return true;
        return failed(what, r.get());
    }
    bool run(const QByteArray &sql, const QString &what) { return ok(exec(sql), what); }
    void rollback() { Result(PQexec(conn, "ROLLBACK")); }

    // Session set-up after every (re)connection.
    bool setUp()
    {
        Result(PQexec(conn, "SET client_min_messages = warning"));
        // Without the schema there is nothing to listen to yet.
        Result s = exec("SELECT to_regclass('desk_sessions') IS NOT NULL", {});
        if (!ok(s, QStringLiteral("データベースを確かめられません。")))
            return false;
        if (QByteArray(PQgetvalue(s.get(), 0, 0)) != "t")
            return true;
        // A standby takes no writes and no LISTEN: this desk only reads from it.
        bool readOnly = false;
        if (!readOnlyServer(&readOnly))
            return false;
        if (readOnly)
            return true;
        const QByteArray pid = QByteArray::number(PQbackendPID(conn));
        if (!ok(exec("INSERT INTO desk_sessions (pid, desk) VALUES ($1, $2) "
                     "ON CONFLICT (pid) DO UPDATE SET desk = EXCLUDED.desk",
                     {pid, desk.toUtf8()}),
                QStringLiteral("端末名を登録できません。")))
            return false;
        if (!run(QByteArray("LISTEN ") + NoticeChannel, QStringLiteral("他の端末の変更を待てません。")))
            return false;
        // Holds went with the old session: taken again (someone may have taken one meanwhile).
        for (auto it = held.begin(); it != held.end();) {
            Result r = exec("SELECT pg_try_advisory_lock($1, $2)", {QByteArray::number(HoldClass),
                                                                   QByteArray::number(int32_t(*it))});
            if (ok(r, {}) && QByteArray(PQgetvalue(r.get(), 0, 0)) == "t")
                ++it;
            else
                it = held.erase(it);
        }
        return true;
    }

    bool connect()
    {
        if (conn)
            PQfinish(conn);
        conn = PQconnectdb(connection.toUtf8().constData());
        if (PQstatus(conn) != CONNECTION_OK)
            return failed(QStringLiteral("データベースに接続できません。"));
        PQsetClientEncoding(conn, "UTF8");
        return setUp();
    }

    // A lost connection is made again before the next request.
    bool ensure()
    {
        if (!isConnectionLost(conn))
            return true;
        if (conn) {
            PQreset(conn);
            if (PQstatus(conn) == CONNECTION_OK) {
                PQsetClientEncoding(conn, "UTF8");
                return setUp();
            }
        }
        return connect();
    }

    int schemaVersion()
    {
        const QString what = QStringLiteral("データベースを確かめられません。");
        Result t = exec("SELECT to_regclass('norvel_schema') IS NOT NULL", {});
        if (!ok(t, what))
            return -1;
        if (QByteArray(PQgetvalue(t.get(), 0, 0)) != "t")
            return 0;
        Result r = exec("SELECT max(version) FROM norvel_schema", {});
        if (!ok(r, what))
            return -1;
        return QByteArray(PQgetvalue(r.get(), 0, 0)).toInt();
    }

    // Within an open transaction: the schema of version from (0: none) made
    // current. Two desks starting at once do it one after the other.
    bool upgradeSchema(int from)
    {
        const QString what = QStringLiteral("データベースの表を作れませんでした。");
        if (!run("SELECT pg_advisory_xact_lock(" + QByteArray::number(HoldClass) + ", -1)", what))
            return false;
        if (from == 0 && !run(SchemaSql, what))
            return false;
        for (int v = std::max(from, 1); v < PgSchemaVersion; ++v)
            if (!run(SchemaSteps[v - 1], QStringLiteral("データベースの表を版 %1 に更新できませんでした。").arg(v + 1)))
                return false;
        return true;
    }

    // Whether the server takes writes: a standby (or a database set to read
    // only) gives no bill numbers.
    bool readOnlyServer(bool *readOnly)
    {
        Result r = exec("SELECT pg_is_in_recovery() OR current_setting('default_transaction_read_only') = 'on'", {});
        if (!ok(r, QStringLiteral("データベースを確かめられません。")))
            return false;
        *readOnly = QByteArray(PQgetvalue(r.get(), 0, 0)) == "t";
        return true;
    }

    QString holderOf(uint32_t billNo)
    {
        Result r = exec("SELECT coalesce(d.desk, '') FROM pg_locks l LEFT JOIN desk_sessions d ON d.pid = l.pid "
                        "WHERE l.locktype = 'advisory' AND l.classid = $1::bigint::oid "
                        "AND l.objid = $2::bigint::oid AND l.objsubid = 2 AND l.granted AND l.pid <> pg_backend_pid() "
                        "LIMIT 1",
                        {QByteArray::number(HoldClass), QByteArray::number(billNo)});
        if (!ok(r, {}) || PQntuples(r.get()) == 0)
            return {};
        const QString name = QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
        return name.isEmpty() ? QStringLiteral("（名前のない端末）") : name;
    }

    // Runs a binary COPY OUT of sql and hands every row's fields to each.
    template <class Each>
    bool copyOut(const QByteArray &sql, const QString &what, Each each)
    {
        Result r = exec(sql);
        if (!r || PQresultStatus(r.get()) != PGRES_COPY_OUT)
            return failed(what, r.get());
        bool header = true;
        for (;;) {
            char *buf = nullptr;
            const int n = PQgetCopyData(conn, &buf, 0);
            if (n == -1)
                break;
            if (n < 0)
                return failed(what);
            const char *p = buf, *end = buf + n;
            if (header) {
                p += 11;
                p += 4;
                const uint32_t ext = readBe32(p);
                p += 4 + ext;
                header = false;
            }
            if (end - p >= 2) {
                const int16_t fields = int16_t(uint16_t(uchar(p[0])) << 8 | uchar(p[1]));
                p += 2;
                if (fields > 0) {
                    CopyFields f;
                    for (int i = 0; i < fields && i < int(f.size.size()) && end - p >= 4; ++i) {
                        const int len = int(readBe32(p));
                        p += 4;
                        f.add(len < 0 ? nullptr : p, len < 0 ? 0 : len);
                        if (len > 0)
                            p += len;
                    }
                    each(f);
                }
            }
            PQfreemem(buf);
        }
        Result done(PQgetResult(conn));
        while (Result more{PQgetResult(conn)})
            ;
        return ok(done, what);
    }

    bool copyIn(const QByteArray &sql, const QByteArray &data, const QString &what)
    {
        Result r = exec(sql);
        if (!r || PQresultStatus(r.get()) != PGRES_COPY_IN)
            return failed(what, r.get());
        // Pieces of a megabyte: libpq buffers what it is given whole.
        constexpr qsizetype piece = 1 << 20;
        for (qsizetype at = 0; at < data.size(); at += piece)
            if (PQputCopyData(conn, data.constData() + at, int(std::min(piece, data.size() - at))) != 1)
                return failed(what);
        if (PQputCopyEnd(conn, nullptr) != 1)
            return failed(what);
        Result done(PQgetResult(conn));
        while (Result more{PQgetResult(conn)})
            ;
        return ok(done, what);
    }

    // count values of the record order.
    bool takeOrder(qsizetype count, std::vector<qint64> *seqs)
    {
        seqs->clear();
        if (count == 0)
            return true;
        Result r = exec("SELECT nextval('record_order') FROM generate_series(1, $1)", {QByteArray::number(count)});
        if (!ok(r, QStringLiteral("明細の順番を得られません。")))
            return false;
        for (int i = 0; i < PQntuples(r.get()); ++i)
            seqs->push_back(QByteArray(PQgetvalue(r.get(), i, 0)).toLongLong());
        return true;
    }
};

PgStore::PgStore(const QString &connection, const QString &desk) : d(std::make_unique<Impl>())
{
    d->connection = connection;
    d->desk = desk;
    if (!d->connect())
        lastError = d->error;
}

PgStore::~PgStore() = default;

bool PgStore::connected() const { return !isConnectionLost(d->conn); }

QString PgStore::describe() const
{
    QString where;
    if (d->conn)
        where = QStringLiteral("%1 (%2)").arg(QString::fromUtf8(PQdb(d->conn)),
                                              QString::fromUtf8(PQhost(d->conn) ? PQhost(d->conn) : ""));
    return QStringLiteral("PostgreSQL %1").arg(where.isEmpty() ? d->connection : where);
}

StoreCheck PgStore::check()
{
    StoreCheck c;
    if (!d->ensure()) {
        c.message = d->error;
        return c;
    }
    c.answers = true;
    c.schemaVersion = std::max(0, d->schemaVersion());
    return c;
}

QString PgStore::load(AppData &data, const QDateTime &now, bool *refuse)
{
    *refuse = true;
    readOnly.clear();
    if (!d->ensure())
        return d->error;
    const int version = d->schemaVersion();
    if (version < 0)
        return d->error;
    if (version == 0)
        return QStringLiteral("データベースにこのプログラムのデータがありません。\n"
                              "データフォルダーを norvel --import-files で読み込んでから起動してください。");
    if (version < PgSchemaVersion)
        return QStringLiteral("データベースの形式（版 %1）はこのプログラムの形式（版 %2）より古いため、読み込みませんでした。\n"
                              "起動時の問いに「はい」と答えると更新します。")
            .arg(version)
            .arg(PgSchemaVersion);
    if (version != PgSchemaVersion)
        return QStringLiteral("データベースの形式（版 %1）はこのプログラムの形式（版 %2）より新しいため、読み込みませんでした。\n"
                              "新しい版のプログラムを使ってください。")
            .arg(version)
            .arg(PgSchemaVersion);
    bool standby = false;
    if (!d->readOnlyServer(&standby))
        return d->error;
    // One snapshot for everything read.
    if (!d->run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", QStringLiteral("データを読み込めません。")))
        return d->error;
    const QString what = QStringLiteral("データを読み込めません。");
    auto fail = [&] {
        d->rollback();
        return d->error;
    };

    QSet<QString> files;
    QByteArray ini;
    {
        Result r = d->exec("SELECT name, content FROM stored_files", {}, true);
        if (!d->ok(r, what))
            return fail();
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            const QString name = QString::fromUtf8(PQgetvalue(r.get(), i, 0));
            files.insert(name);
            if (name == QLatin1String("norvelreceipt.ini"))
                ini = QByteArray(PQgetvalue(r.get(), i, 1), PQgetlength(r.get(), i, 1));
        }
    }
    data.BaseData = TBaseData{};
    {
        Result r = d->exec("SELECT record FROM base_data", {}, true);
        if (!d->ok(r, what))
            return fail();
        if (PQntuples(r.get()) == 0) {
            data.StartFlags |= MissingBaseData;
            setDefaultBaseData(data.BaseData);
        } else {
            std::memcpy(&data.BaseData, PQgetvalue(r.get(), 0, 0),
                        std::min<size_t>(sizeof(TBaseData), size_t(PQgetlength(r.get(), 0, 0))));
        }
    }
    for (auto &list : data.KamokuList)
        list.clear();
    if (!d->copyOut("COPY (SELECT category, record FROM items ORDER BY category, position) TO STDOUT (FORMAT binary)",
                    what, [&](const auto &f) {
                        const int c = int(uint16_t(uchar(f[0].first[0])) << 8 | uchar(f[0].first[1]));
                        THojoKamoku k{};
                        std::memcpy(&k, f[1].first, sizeof k);
                        if (c >= 0 && c < KamokuCategories)
                            data.KamokuList[size_t(c)].push_back(k);
                    }))
        return fail();
    if (!files.contains(QLatin1String(KamokuFileNames[0]))) {
        data.StartFlags |= MissingKamoku;
        for (auto &list : data.KamokuList)
            list.clear();
    } else {
        for (int i = 0; i < KamokuCategories; ++i) {
            auto &list = data.KamokuList[size_t(i)];
            list.resize(kamokuStoredCount(list));
            const int room = std::max(0, kamokuCapacity(i) - int(list.size()));
            list.resize(list.size() + size_t(std::min(BlankKamokuEntries, room)), THojoKamoku{});
        }
    }

    RecordList<TReserveData> lines;
    {
        // Room for the lines at once (the server's estimate, with the session's new lines behind it).
        Result r = d->exec("SELECT greatest(reltuples, 0)::bigint FROM pg_class WHERE oid = 'bill_lines'::regclass", {});
        if (d->ok(r, what) && PQntuples(r.get()) == 1) {
            const size_t estimate = size_t(QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong());
            lines.reserve(estimate + estimate / 16 + 1024);
        }
    }
    if (!d->copyOut("COPY (SELECT record FROM bill_lines ORDER BY seq) TO STDOUT (FORMAT binary)", what,
                    [&](const auto &f) {
                        TReserveData r;
                        std::memcpy(&r, f[0].first, sizeof r);
                        lines.push_back(r);
                    }))
        return fail();
    RecordList<TUrikakeData> urikake;
    if (!d->copyOut("COPY (SELECT record FROM receivables ORDER BY seq) TO STDOUT (FORMAT binary)", what,
                    [&](const auto &f) {
                        TUrikakeData u;
                        std::memcpy(&u, f[0].first, sizeof u);
                        urikake.push_back(u);
                    }))
        return fail();
    d->run("COMMIT", what);
    if (!files.contains(QStringLiteral("reserve.dat")) && lines.empty())
        data.StartFlags |= MissingReserve;
    d->known = billHashes(lines, urikake);
    data.ReserveList = std::move(lines);
    data.UrikakeList.swap(urikake);

    QString notice;
    data.Money = TMoneySettings{};
    if (!ini.isEmpty())
        notice = readMoneySettings(IniFile::fromText(ini), &data.Money);

    // A standby takes no writes: this desk reads and prints, and saves nothing.
    if (standby)
        return readOnly = QStringLiteral("このデータベースサーバーは読み取り専用（スタンバイ）のため、請求番号を出せません。\n"
                              "読み取りと印刷だけができます。保存するには主サーバーに接続してください。");
    // This run's bill numbers: a block no other desk is given.
    Result n = d->exec("UPDATE bill_numbers SET next = least(greatest(next, $1::bigint) + $2, 4294967296) "
                       "RETURNING next - $2",
                       {QByteArray::number(meiNoFromClock(now)), QByteArray::number(BillNumberBlock)});
    if (!d->ok(n, QStringLiteral("請求番号を得られません。")) || PQntuples(n.get()) != 1)
        return d->error.isEmpty() ? QStringLiteral("請求番号を得られません。") : d->error;
    data.NextMeiNo = uint32_t(std::min<qint64>(QByteArray(PQgetvalue(n.get(), 0, 0)).toLongLong(), 0xfffffffe));
    *refuse = false;
    return notice;
}

CommitResult PgStore::saveBills(const AppData &, const RecordList<TReserveData> &reserve,
                                const RecordList<TUrikakeData> &urikake, const std::vector<uint32_t> *bills,
                                const std::vector<TReceiptIssueData> &issued, QString *error)
{
    auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        return CommitResult::Unchanged;
    };
    // The bills to write: as named, or those that differ from what this desk read or wrote.
    std::vector<uint32_t> changed;
    std::unordered_map<uint32_t, quint64> now;
    if (bills) {
        changed = *bills;
    } else {
        now = billHashes(reserve, urikake);
        for (const auto &[bill, hash] : now)
            if (auto it = d->known.find(bill); it == d->known.end() || it->second != hash)
                changed.push_back(bill);
        for (const auto &[bill, hash] : d->known)
            if (!now.count(bill))
                changed.push_back(bill);
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    for (const TReceiptIssueData &i : issued)
        changed.push_back(i.MeiNo);
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    if (changed.empty())
        return CommitResult::Done;
    // The rows of these bills as they now stand, found before the transaction
    // begins: a million lines are passed over with a range check each.
    const uint32_t lowest = changed.front(), highest = changed.back();
    auto isChanged = [&](uint32_t b) {
        return b >= lowest && b <= highest && (lowest == highest || std::binary_search(changed.begin(), changed.end(), b));
    };
    std::vector<const TReserveData *> newLines;
    std::vector<const TUrikakeData *> newReceivables;
    std::unordered_map<uint32_t, quint64> hashes;
    for (const TReserveData &r : reserve)
        if (isChanged(r.MeiNo)) {
            newLines.push_back(&r);
            hashes[r.MeiNo] = lineHash(r, hashes[r.MeiNo]);
        }
    for (const TUrikakeData &u : urikake)
        if (isChanged(u.MeiNo)) {
            newReceivables.push_back(&u);
            hashes[u.MeiNo] = receivableHash(u, hashes[u.MeiNo] ^ 0x5555);
        }

    if (!d->ensure())
        return fail(d->error + QStringLiteral("\n保存しませんでした。"));
    QByteArray list = "{";
    for (size_t i = 0; i < changed.size(); ++i)
        list += (i ? "," : "") + QByteArray::number(changed[i]);
    list += "}";
    const QByteArray saveId = QByteArray::number(QRandomGenerator::system()->generate64(), 36);
    const QString what = QStringLiteral("請求明細を保存できませんでした。");
    auto abort = [&](const QString &message) {
        d->rollback();
        return fail(message);
    };
    if (!d->run("BEGIN", what))
        return fail(d->error);
    for (uint32_t b : changed) {
        Result r = d->exec("SELECT pg_try_advisory_xact_lock($1, $2)",
                           {QByteArray::number(HoldClass), QByteArray::number(int32_t(b))});
        if (!d->ok(r, what))
            return abort(d->error);
        if (QByteArray(PQgetvalue(r.get(), 0, 0)) != "t") {
            const QString desk = d->holderOf(b);
            return abort(QStringLiteral("請求番号 %1 は端末「%2」で開かれているため、保存しませんでした。")
                             .arg(b)
                             .arg(desk.isEmpty() ? QStringLiteral("他の端末") : desk));
        }
    }
    // A bill number this desk has not seen, stored by another desk: never two bills alike.
    {
        Result r = d->exec("SELECT bill_no FROM bills WHERE bill_no = ANY($1::bigint[]) FOR UPDATE", {list});
        if (!d->ok(r, what))
            return abort(d->error);
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            const uint32_t b = uint32_t(QByteArray(PQgetvalue(r.get(), i, 0)).toLongLong());
            if (!d->known.count(b))
                return abort(QStringLiteral("請求番号 %1 は他の端末の請求明細に使われているため、保存しませんでした。").arg(b));
        }
    }
    std::vector<qint64> oldReceivables;
    {
        Result r = d->exec("DELETE FROM receivables WHERE bill_no = ANY($1::bigint[]) RETURNING seq", {list});
        if (!d->ok(r, what))
            return abort(d->error);
        for (int i = 0; i < PQntuples(r.get()); ++i)
            oldReceivables.push_back(QByteArray(PQgetvalue(r.get(), i, 0)).toLongLong());
        std::sort(oldReceivables.begin(), oldReceivables.end());
    }
    if (!d->ok(d->exec("DELETE FROM bill_lines WHERE bill_no = ANY($1::bigint[])", {list}), what))
        return abort(d->error);

    {
        QByteArray present = "{";
        bool first = true;
        for (const auto &[b, h] : hashes) {
            present += (first ? "" : ",") + QByteArray::number(b);
            first = false;
        }
        present += "}";
        if (!d->ok(d->exec("INSERT INTO bills (bill_no, last_save) SELECT unnest($1::bigint[]), $2 "
                           "ON CONFLICT (bill_no) DO UPDATE SET last_save = EXCLUDED.last_save",
                           {present, saveId}),
                   what))
            return abort(d->error);
    }
    std::vector<qint64> seqs;
    const qsizetype extra = qsizetype(newReceivables.size()) - qsizetype(oldReceivables.size());
    if (!d->takeOrder(qsizetype(newLines.size()) + std::max<qsizetype>(0, extra), &seqs))
        return abort(d->error);
    {
        CopyRows rows;
        size_t k = 0;
        for (const TReserveData *r : newLines) {
            rows.row(3);
            rows.int8(seqs[k++]);
            rows.int8(r->MeiNo);
            rows.bytes(r, sizeof *r);
        }
        if (!newLines.empty()
            && !d->copyIn("COPY bill_lines (seq, bill_no, record) FROM STDIN (FORMAT binary)", rows.finish(), what))
            return abort(d->error);
        // A receivable keeps its place in the order; a new one goes last.
        CopyRows rec;
        for (size_t i = 0; i < newReceivables.size(); ++i) {
            rec.row(3);
            rec.int8(i < oldReceivables.size() ? oldReceivables[i] : seqs[k++]);
            rec.int8(newReceivables[i]->MeiNo);
            rec.bytes(newReceivables[i], sizeof(TUrikakeData));
        }
        if (!newReceivables.empty()
            && !d->copyIn("COPY receivables (seq, bill_no, record) FROM STDIN (FORMAT binary)", rec.finish(), what))
            return abort(d->error);
    }
    if (!d->ok(d->exec("DELETE FROM bills b WHERE b.bill_no = ANY($1::bigint[]) "
                       "AND NOT EXISTS (SELECT 1 FROM bill_lines l WHERE l.bill_no = b.bill_no) "
                       "AND NOT EXISTS (SELECT 1 FROM receivables r WHERE r.bill_no = b.bill_no)",
                       {list}),
               what)
        || !d->ok(d->exec("INSERT INTO stored_files (name) VALUES ('reserve.dat'), ('urikake.dat') "
                          "ON CONFLICT DO NOTHING",
                          {}),
                  what))
        return abort(d->error);
    // Receipts issued with this save, after every other issue.
    if (!issued.empty()) {
        std::vector<qint64> order;
        if (!d->takeOrder(qsizetype(issued.size()), &order))
            return abort(d->error);
        CopyRows rows;
        for (size_t i = 0; i < issued.size(); ++i) {
            rows.row(3);
            rows.int8(order[i]);
            rows.int8(issued[i].MeiNo);
            rows.bytes(&issued[i], sizeof(TReceiptIssueData));
        }
        if (!d->copyIn("COPY receipt_issues (seq, bill_no, record) FROM STDIN (FORMAT binary)", rows.finish(), what)
            || !d->run("INSERT INTO stored_files (name) VALUES ('receipts.dat') ON CONFLICT DO NOTHING", what))
            return abort(d->error);
    }
    // Other desks bring these bills in again; a long list tells them to read every bill.
    const QByteArray payload = list.size() < 7000 ? list : QByteArray("*");
    if (!d->ok(d->exec("SELECT pg_notify($1, $2)", {NoticeChannel, payload}), what))
        return abort(d->error);

    Result commit = d->exec("COMMIT");
    bool done = commit && PQresultStatus(commit.get()) == PGRES_COMMAND_OK;
    if (!done && isConnectionLost(d->conn)) {
        // The answer to the commit was lost: the bill's mark says whether it was made.
        bool checked = false;
        if (d->ensure()) {
            Result r = d->exec("SELECT count(*) FROM bills WHERE last_save = $1", {saveId});
            checked = d->ok(r, what);
            done = checked && QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() > 0;
        }
        if (!done)
            return fail(LostMessage
                        + (checked ? QStringLiteral("\n保存されませんでした。")
                                   : QStringLiteral("\n保存されたかどうか確かめられませんでした。もう一度保存してください。")));
    } else if (!done) {
        d->failed(what, commit.get());
        return fail(d->error);
    }
    for (uint32_t b : changed) {
        if (auto it = hashes.find(b); it != hashes.end())
            d->known[b] = it->second;
        else
            d->known.erase(b);
    }
    return CommitResult::Done;
}

bool PgStore::loadReceiptIssues(std::vector<TReceiptIssueData> *issues, QString *error)
{
    const QString what = QStringLiteral("領収書の発行記録を読めません。");
    issues->clear();
    if (!d->ensure() || !d->copyOut("COPY (SELECT record FROM receipt_issues ORDER BY seq) TO STDOUT (FORMAT binary)",
                                    what, [&](const auto &f) {
                                        TReceiptIssueData e{};
                                        std::memcpy(&e, f[0].first, std::min<size_t>(sizeof e, size_t(f[0].second)));
                                        issues->push_back(e);
                                    })) {
        issues->clear();
        if (error)
            *error = d->error;
        return false;
    }
    return true;
}

StoreSchema PgStore::schema()
{
    StoreSchema s;
    if (!d->ensure()) {
        s.state = StoreSchema::State::Unknown;
        s.error = d->error;
        return s;
    }
    s.version = d->schemaVersion();
    if (s.version < 0) {
        s.state = StoreSchema::State::Unknown;
        s.error = d->error;
        s.version = 0;
    } else if (s.version == 0) {
        s.state = StoreSchema::State::Missing;
    } else if (s.version < PgSchemaVersion) {
        s.state = StoreSchema::State::Older;
    } else if (s.version > PgSchemaVersion) {
        s.state = StoreSchema::State::Newer;
    }
    return s;
}

bool PgStore::makeSchemaCurrent(QString *error)
{
    auto fail = [&] {
        d->rollback();
        if (error)
            *error = d->error;
        return false;
    };
    if (!d->ensure() || !d->run("BEGIN", QStringLiteral("データベースの表を作れませんでした。")))
        return fail();
    // Read again under the lock: another desk may have done it meanwhile.
    if (!d->run("SELECT pg_advisory_xact_lock(" + QByteArray::number(HoldClass) + ", -1)", {}))
        return fail();
    const int version = d->schemaVersion();
    if (version < 0)
        return fail();
    if (version > PgSchemaVersion) {
        d->error = QStringLiteral("データベースの形式（版 %1）はこのプログラムの形式より新しいため、変えませんでした。").arg(version);
        return fail();
    }
    if ((version < PgSchemaVersion && !d->upgradeSchema(version)) || !d->run("COMMIT", QStringLiteral("データベースの表を作れませんでした。")))
        return fail();
    // The session registers itself and listens now that the tables exist.
    d->setUp();
    return true;
}

bool PgStore::saveSettings(const AppData &data, QString *error)
{
    const QString what = QStringLiteral("設定を保存できませんでした。");
    if (!d->ensure() || !d->run("BEGIN", what)) {
        if (error)
            *error = d->error;
        return false;
    }
    QByteArray ini;
    Result r = d->exec("SELECT content FROM stored_files WHERE name = 'norvelreceipt.ini' FOR UPDATE", {}, true);
    bool ok = d->ok(r, what);
    if (ok && PQntuples(r.get()) == 1)
        ini = QByteArray(PQgetvalue(r.get(), 0, 0), PQgetlength(r.get(), 0, 0));
    IniFile settings = IniFile::fromText(ini);
    writeMoneySettings(settings, data.Money);
    const QByteArray base(reinterpret_cast<const char *>(&data.BaseData), sizeof(TBaseData));
    const char *values[2] = {base.constData(), nullptr};
    const int lengths[2] = {int(base.size()), 0};
    const int formats[2] = {1, 1};
    ok = ok
        && d->ok(Result(PQexecParams(d->conn,
                                     "INSERT INTO base_data (id, record) VALUES (1, $1) "
                                     "ON CONFLICT (id) DO UPDATE SET record = EXCLUDED.record",
                                     1, nullptr, values, lengths, formats, 0)),
                 what);
    const QByteArray text = settings.text();
    values[0] = text.constData();
    const int iniLength[1] = {int(text.size())};
    ok = ok
        && d->ok(Result(PQexecParams(d->conn,
                                     "INSERT INTO stored_files (name, content) VALUES ('norvelreceipt.ini', $1) "
                                     "ON CONFLICT (name) DO UPDATE SET content = EXCLUDED.content",
                                     1, nullptr, values, iniLength, formats, 0)),
                 what)
        && d->run("INSERT INTO stored_files (name) VALUES ('base.dat') ON CONFLICT DO NOTHING", what)
        && d->run("COMMIT", what);
    if (!ok) {
        d->rollback();
        if (error)
            *error = d->error;
    }
    return ok;
}

bool PgStore::saveItems(const AppData &data, QString *error)
{
    const QString what = QStringLiteral("摘要マスターを保存できませんでした。");
    CopyRows rows;
    for (int c = 0; c < KamokuCategories; ++c) {
        const auto &list = data.KamokuList[size_t(c)];
        const size_t n = kamokuStoredCount(list);
        for (size_t i = 0; i < n; ++i) {
            rows.row(5);
            rows.int2(int16_t(c));
            rows.int4(int32_t(i));
            rows.int8(qint64(itemKey(list[i])));
            rows.boolean(!isBlankKamoku(list[i]));
            rows.bytes(&list[i], sizeof(THojoKamoku));
        }
    }
    QByteArray names = "INSERT INTO stored_files (name) VALUES ";
    for (int c = 0; c < KamokuCategories; ++c)
        names += QByteArray(c ? "," : "") + "('" + KamokuFileNames[size_t(c)] + "')";
    names += " ON CONFLICT DO NOTHING";
    const bool ok = d->ensure() && d->run("BEGIN", what) && d->run("DELETE FROM items", what)
        && d->copyIn("COPY items (category, position, item_key, in_use, record) FROM STDIN (FORMAT binary)",
                     rows.finish(), what)
        && d->run(names, what) && d->run("COMMIT", what);
    if (!ok) {
        d->rollback();
        if (error)
            *error = d->error;
    }
    return ok;
}

BillHold PgStore::holdBill(uint32_t billNo)
{
    if (d->held.count(billNo) || !d->ensure())
        return {}; // without the server the save tells what is wrong
    Result r = d->exec("SELECT pg_try_advisory_lock($1, $2)",
                       {QByteArray::number(HoldClass), QByteArray::number(int32_t(billNo))});
    if (!d->ok(r, {}))
        return {};
    if (QByteArray(PQgetvalue(r.get(), 0, 0)) == "t") {
        d->held.insert(billNo);
        return {};
    }
    const QString desk = d->holderOf(billNo);
    return {false, desk.isEmpty() ? QStringLiteral("他の端末") : desk};
}

void PgStore::releaseBill(uint32_t billNo)
{
    if (!d->held.erase(billNo) || isConnectionLost(d->conn))
        return;
    Result(d->exec("SELECT pg_advisory_unlock($1, $2)",
                   {QByteArray::number(HoldClass), QByteArray::number(int32_t(billNo))}));
}

int PgStore::noticeSocket() const { return d->conn ? PQsocket(d->conn) : -1; }

bool PgStore::takeNotices(AppData &data)
{
    // Polled often: a server away is tried again only now and then, not at every poll.
    if (isConnectionLost(d->conn)) {
        if (d->lastTry.isValid() && d->lastTry.elapsed() < 10000)
            return false;
        d->lastTry.start();
        if (!d->ensure())
            return false;
    }
    PQconsumeInput(d->conn);
    std::vector<uint32_t> bills;
    bool all = false;
    while (PGnotify *n = PQnotifies(d->conn)) {
        if (n->be_pid != PQbackendPID(d->conn)) {
            const QByteArray payload(n->extra);
            if (payload == "*")
                all = true;
            for (const QByteArray &b : payload.mid(1, payload.size() - 2).split(','))
                if (!b.isEmpty())
                    bills.push_back(uint32_t(b.toLongLong()));
        }
        PQfreemem(n);
    }
    if (all) {
        bool refuse = false;
        const uint32_t next = data.NextMeiNo;
        load(data, QDateTime(), &refuse);
        data.NextMeiNo = next;
        return true;
    }
    if (bills.empty())
        return false;
    std::sort(bills.begin(), bills.end());
    bills.erase(std::unique(bills.begin(), bills.end()), bills.end());
    QByteArray list = "{";
    for (size_t i = 0; i < bills.size(); ++i)
        list += (i ? "," : "") + QByteArray::number(bills[i]);
    list += "}";
    const std::unordered_set<uint32_t> set(bills.begin(), bills.end());
    Result lines = d->exec("SELECT record FROM bill_lines WHERE bill_no = ANY($1::bigint[]) ORDER BY seq", {list}, true);
    Result recs = d->exec("SELECT record FROM receivables WHERE bill_no = ANY($1::bigint[]) ORDER BY seq", {list}, true);
    if (!d->ok(lines, {}) || !d->ok(recs, {}))
        return false;
    RecordList<TReserveData> &reserve = data.ReserveList.edit();
    reserve.erase(std::remove_if(reserve.begin(), reserve.end(), [&](const TReserveData &r) { return set.count(r.MeiNo) > 0; }),
                  reserve.end());
    data.UrikakeList.erase(std::remove_if(data.UrikakeList.begin(), data.UrikakeList.end(),
                                          [&](const TUrikakeData &u) { return set.count(u.MeiNo) > 0; }),
                           data.UrikakeList.end());
    std::unordered_map<uint32_t, quint64> hashes;
    for (int i = 0; i < PQntuples(lines.get()); ++i) {
        TReserveData r;
        std::memcpy(&r, PQgetvalue(lines.get(), i, 0), sizeof r);
        reserve.push_back(r);
        hashes[r.MeiNo] = lineHash(r, hashes[r.MeiNo]);
    }
    for (int i = 0; i < PQntuples(recs.get()); ++i) {
        TUrikakeData u;
        std::memcpy(&u, PQgetvalue(recs.get(), i, 0), sizeof u);
        data.UrikakeList.push_back(u);
        hashes[u.MeiNo] = receivableHash(u, hashes[u.MeiNo] ^ 0x5555);
    }
    for (uint32_t b : bills) {
        if (auto it = hashes.find(b); it != hashes.end())
            d->known[b] = it->second;
        else
            d->known.erase(b);
    }
    data.RsvCount = int(data.ReserveList.size());
    return true;
}

bool PgStore::importFolder(const FolderContents &c, QString *report, QString *error)
{
    const QString what = QStringLiteral("読み込めませんでした。");
    auto fail = [&] {
        d->rollback();
        if (error)
            *error = d->error;
        return false;
    };
    if (!d->ensure()) {
        if (error)
            *error = d->error;
        return false;
    }
    if (!d->run("BEGIN", what))
        return fail();
    const int version = d->schemaVersion();
    if (version < 0)
        return fail();
    if (version > PgSchemaVersion) {
        d->error = QStringLiteral("データベースの形式（版 %1）はこのプログラムの形式より新しいため、読み込みませんでした。").arg(version);
        return fail();
    }
    if (version > 0) {
        Result r = d->exec("SELECT (SELECT count(*) FROM stored_files) + (SELECT count(*) FROM bills) "
                           "+ (SELECT count(*) FROM items) + (SELECT count(*) FROM base_data)",
                           {});
        if (!d->ok(r, what))
            return fail();
        if (QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() > 0) {
            d->error = QStringLiteral("データベースにはすでにデータがあります。空のデータベースにだけ読み込みます。");
            return fail();
        }
    }
    if (version < PgSchemaVersion && !d->upgradeSchema(version))
        return fail();

    QStringList lines;
    CopyRows files;
    auto file = [&](const char *name, bool has, const QByteArray *content) {
        if (!has)
            return;
        files.row(2);
        const QByteArray n(name);
        files.bytes(n.constData(), int(n.size()));
        if (content)
            files.bytes(content->constData(), int(content->size()));
        else
            files.null();
    };
    file("base.dat", c.hasBase, nullptr);
    for (int i = 0; i < KamokuCategories; ++i)
        file(KamokuFileNames[size_t(i)], c.hasItems[size_t(i)], nullptr);
    file("reserve.dat", c.hasReserve, nullptr);
    file("urikake.dat", c.hasUrikake, nullptr);
    file(ReceiptIssuesFileName, c.hasReceipts, nullptr);
    file("norvelreceipt.ini", c.hasIni, &c.ini);
    file("logo.bmp", c.hasLogo, &c.logo);
    if (!d->copyIn("COPY stored_files (name, content) FROM STDIN (FORMAT binary)", files.finish(), what))
        return fail();

    if (c.hasBase) {
        const char *values[1] = {c.base.constData()};
        const int lengths[1] = {int(c.base.size())};
        const int formats[1] = {1};
        if (!d->ok(Result(PQexecParams(d->conn, "INSERT INTO base_data (id, record) VALUES (1, $1)", 1, nullptr,
                                       values, lengths, formats, 0)),
                   what))
            return fail();
        lines << QStringLiteral("base.dat: 施設の設定");
    }
    CopyRows items;
    for (int i = 0; i < KamokuCategories; ++i) {
        const QByteArray &b = c.items[size_t(i)];
        const int n = int(b.size() / qsizetype(sizeof(THojoKamoku)));
        for (int k = 0; k < n; ++k) {
            THojoKamoku e;
            std::memcpy(&e, b.constData() + qsizetype(k) * qsizetype(sizeof e), sizeof e);
            items.row(5);
            items.int2(int16_t(i));
            items.int4(k);
            items.int8(qint64(itemKey(e)));
            items.boolean(!isBlankKamoku(e));
            items.bytes(&e, sizeof e);
        }
        if (c.hasItems[size_t(i)])
            lines << QStringLiteral("%1: %2 件").arg(QLatin1String(KamokuFileNames[size_t(i)])).arg(n);
    }
    if (!d->copyIn("COPY items (category, position, item_key, in_use, record) FROM STDIN (FORMAT binary)",
                   items.finish(), what))
        return fail();

    // Every bill number, then the lines and receivables in their file order.
    const auto *reserve = reinterpret_cast<const TReserveData *>(c.reserve.constData());
    const qsizetype nLines = c.reserve.size() / qsizetype(sizeof(TReserveData));
    const auto *urikake = reinterpret_cast<const TUrikakeData *>(c.urikake.constData());
    const qsizetype nRec = c.urikake.size() / qsizetype(sizeof(TUrikakeData));
    std::vector<uint32_t> numbers;
    for (qsizetype i = 0; i < nLines; ++i)
        numbers.push_back(reserve[i].MeiNo);
    for (qsizetype i = 0; i < nRec; ++i)
        numbers.push_back(urikake[i].MeiNo);
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    CopyRows billRows;
    for (uint32_t b : numbers) {
        billRows.row(1);
        billRows.int8(b);
    }
    if (!d->copyIn("COPY bills (bill_no) FROM STDIN (FORMAT binary)", billRows.finish(), what))
        return fail();
    {
        // In pieces, so that a million lines do not need a second copy of the file at once.
        constexpr qsizetype piece = 100000;
        for (qsizetype from = 0; from < nLines; from += piece) {
            CopyRows rows;
            for (qsizetype i = from; i < std::min(nLines, from + piece); ++i) {
                rows.row(3);
                rows.int8(i + 1);
                rows.int8(reserve[i].MeiNo);
                rows.bytes(&reserve[i], sizeof(TReserveData));
            }
            if (!d->copyIn("COPY bill_lines (seq, bill_no, record) FROM STDIN (FORMAT binary)", rows.finish(), what))
                return fail();
        }
        CopyRows rows;
        for (qsizetype i = 0; i < nRec; ++i) {
            rows.row(3);
            rows.int8(nLines + i + 1);
            rows.int8(urikake[i].MeiNo);
            rows.bytes(&urikake[i], sizeof(TUrikakeData));
        }
        if (!d->copyIn("COPY receivables (seq, bill_no, record) FROM STDIN (FORMAT binary)", rows.finish(), what))
            return fail();
    }
    const auto *receipts = reinterpret_cast<const TReceiptIssueData *>(c.receipts.constData());
    const qsizetype nReceipts = c.receipts.size() / qsizetype(sizeof(TReceiptIssueData));
    {
        CopyRows rows;
        for (qsizetype i = 0; i < nReceipts; ++i) {
            rows.row(3);
            rows.int8(i + 1);
            rows.int8(receipts[i].MeiNo);
            rows.bytes(&receipts[i], sizeof(TReceiptIssueData));
        }
        if (!d->copyIn("COPY receipt_issues (seq, bill_no, record) FROM STDIN (FORMAT binary)", rows.finish(), what))
            return fail();
    }
    const qint64 next = numbers.empty() ? 0 : qint64(numbers.back() == UINT32_MAX ? numbers.back() : numbers.back() + 1);
    if (!d->ok(d->exec("SELECT setval('record_order', $1, true)",
                       {QByteArray::number(std::max(nLines + nRec, nReceipts) + 1)}),
               what)
        || !d->ok(d->exec("UPDATE bill_numbers SET next = $1", {QByteArray::number(next)}), what)
        || !d->run("COMMIT", what))
        return fail();
    // The session registers itself now that the tables exist; the planner
    // learns the sizes of the tables just filled.
    d->setUp();
    d->run("ANALYZE", what);
    if (c.hasReserve)
        lines << QStringLiteral("reserve.dat: %1 明細、%2 請求").arg(nLines).arg(numbers.size());
    if (c.hasUrikake)
        lines << QStringLiteral("urikake.dat: %1 件").arg(nRec);
    if (c.hasReceipts)
        lines << QStringLiteral("%1: %2 件").arg(QLatin1String(ReceiptIssuesFileName)).arg(nReceipts);
    if (c.hasIni)
        lines << QStringLiteral("norvelreceipt.ini: %1 バイト").arg(c.ini.size());
    if (c.hasLogo)
        lines << QStringLiteral("logo.bmp: %1 バイト").arg(c.logo.size());
    if (report)
        *report = lines.join(QLatin1Char('\n'));
    return true;
}

bool PgStore::exportFolder(FolderContents *c, QString *error)
{
    const QString what = QStringLiteral("書き出せませんでした。");
    auto fail = [&] {
        d->rollback();
        if (error)
            *error = d->error;
        return false;
    };
    if (!d->ensure() || !d->run("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", what))
        return fail();
    if (const int version = d->schemaVersion(); version != PgSchemaVersion) {
        if (version >= 0)
            d->error = version == 0 ? QStringLiteral("データベースにこのプログラムのデータがありません。")
                                    : QStringLiteral("データベースの形式（版 %1）が今の形式（版 %2）ではありません。"
                                                     "norvel を起動して更新してから書き出してください。")
                                          .arg(version)
                                          .arg(PgSchemaVersion);
        return fail();
    }
    *c = FolderContents{};
    Result files = d->exec("SELECT name, content FROM stored_files", {}, true);
    if (!d->ok(files, what))
        return fail();
    for (int i = 0; i < PQntuples(files.get()); ++i) {
        const QByteArray name(PQgetvalue(files.get(), i, 0), PQgetlength(files.get(), i, 0));
        const QByteArray content(PQgetvalue(files.get(), i, 1), PQgetlength(files.get(), i, 1));
        if (name == "base.dat")
            c->hasBase = true;
        else if (name == "reserve.dat")
            c->hasReserve = true;
        else if (name == "urikake.dat")
            c->hasUrikake = true;
        else if (name == ReceiptIssuesFileName)
            c->hasReceipts = true;
        else if (name == "norvelreceipt.ini")
            c->hasIni = true, c->ini = content;
        else if (name == "logo.bmp")
            c->hasLogo = true, c->logo = content;
        for (int k = 0; k < KamokuCategories; ++k)
            if (name == KamokuFileNames[size_t(k)])
                c->hasItems[size_t(k)] = true;
    }
    Result base = d->exec("SELECT record FROM base_data", {}, true);
    if (!d->ok(base, what))
        return fail();
    if (PQntuples(base.get()) == 1)
        c->base = QByteArray(PQgetvalue(base.get(), 0, 0), PQgetlength(base.get(), 0, 0));
    auto append = [](QByteArray &to) {
        return [&to](const auto &f) { to.append(f.back().first, f.back().second); };
    };
    std::array<QByteArray, 9> items;
    if (!d->copyOut("COPY (SELECT category, record FROM items ORDER BY category, position) TO STDOUT (FORMAT binary)",
                    what, [&](const auto &f) {
                        const int k = int(uint16_t(uchar(f[0].first[0])) << 8 | uchar(f[0].first[1]));
                        if (k >= 0 && k < KamokuCategories)
                            items[size_t(k)].append(f[1].first, f[1].second);
                    }))
        return fail();
    c->items = items;
    if (!d->copyOut("COPY (SELECT record FROM bill_lines ORDER BY seq) TO STDOUT (FORMAT binary)", what,
                    append(c->reserve))
        || !d->copyOut("COPY (SELECT record FROM receivables ORDER BY seq) TO STDOUT (FORMAT binary)", what,
                       append(c->urikake))
        || !d->copyOut("COPY (SELECT record FROM receipt_issues ORDER BY seq) TO STDOUT (FORMAT binary)", what,
                       append(c->receipts)))
        return fail();
    d->run("COMMIT", what);
    return true;
}

bool readFolderContents(const QString &dir, FolderContents *c, QString *error)
{
    const QString folder = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    if (!QFileInfo(folder).isDir()) {
        *error = QStringLiteral("フォルダー %1 がありません。").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    if (!pendingCommitFiles(folder).isEmpty() || QFile::exists(folder + QLatin1String(CommitRecordName))) {
        *error = QStringLiteral("%1 には終わっていない保存があります。一度このフォルダーでプログラムを起動して保存を終わらせてから読み込んでください。")
                     .arg(QDir::toNativeSeparators(dir));
        return false;
    }
    auto read = [&](const QString &name, QByteArray *to, bool *has, int recordSize) {
        QFile f(folder + name);
        if (!f.exists()) {
            *has = false;
            return true;
        }
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("%1 を読めません：%2").arg(name, f.errorString());
            return false;
        }
        *to = f.readAll();
        *has = true;
        if (recordSize > 0 && to->size() % recordSize != 0) {
            *error = QStringLiteral("%1 の大きさ（%2 バイト）が %3 バイトのレコードの倍数ではありません。"
                                    "一度このフォルダーでプログラムを起動して直してから読み込んでください。")
                         .arg(name)
                         .arg(to->size())
                         .arg(recordSize);
            return false;
        }
        return true;
    };
    *c = FolderContents{};
    if (!read(QStringLiteral("base.dat"), &c->base, &c->hasBase, 0))
        return false;
    for (int i = 0; i < KamokuCategories; ++i) {
        bool has = false;
        if (!read(QLatin1String(KamokuFileNames[size_t(i)]), &c->items[size_t(i)], &has, sizeof(THojoKamoku)))
            return false;
        c->hasItems[size_t(i)] = has;
    }
    return read(QStringLiteral("reserve.dat"), &c->reserve, &c->hasReserve, sizeof(TReserveData))
        && read(QStringLiteral("urikake.dat"), &c->urikake, &c->hasUrikake, sizeof(TUrikakeData))
        && read(QLatin1String(ReceiptIssuesFileName), &c->receipts, &c->hasReceipts, sizeof(TReceiptIssueData))
        && read(QStringLiteral("norvelreceipt.ini"), &c->ini, &c->hasIni, 0)
        && read(QStringLiteral("logo.bmp"), &c->logo, &c->hasLogo, 0);
}

bool writeFolderContents(const QString &dir, const FolderContents &c, QString *error)
{
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("フォルダー %1 を作れません。").arg(QDir::toNativeSeparators(dir));
        return false;
    }
    std::vector<FileContent> files;
    auto add = [&](const char *name, bool has, const QByteArray &bytes) {
        if (has)
            files.push_back({QLatin1String(name), bytes.constData(), size_t(bytes.size())});
    };
    add("base.dat", c.hasBase, c.base);
    for (int i = 0; i < KamokuCategories; ++i)
        add(KamokuFileNames[size_t(i)], c.hasItems[size_t(i)], c.items[size_t(i)]);
    add("reserve.dat", c.hasReserve, c.reserve);
    add("urikake.dat", c.hasUrikake, c.urikake);
    add(ReceiptIssuesFileName, c.hasReceipts, c.receipts);
    add("norvelreceipt.ini", c.hasIni, c.ini);
    add("logo.bmp", c.hasLogo, c.logo);
    return commitFiles(dir, files, error) == CommitResult::Done;
}

std::shared_ptr<RecordStore> openStore(const StoreChoice &choice, QString *error)
{
    if (!choice.error.isEmpty()) {
        *error = choice.error;
        return nullptr;
    }
    if (choice.kind == StoreChoice::Kind::Files)
        return nullptr;
    const QString connection = connectionForStore(choice.connection, error);
    if (connection.isEmpty())
        return nullptr;
    auto store = std::make_shared<PgStore>(connection, choice.desk);
    if (!store->connected()) {
        *error = store->error();
        return nullptr;
    }
    return store;
}
