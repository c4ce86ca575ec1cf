#include "admin/ServerSetup.h"

#include "data/Schema.h"
#include "data/SqlError.h"
#include "forms/Grading.h"
#include "platform/Error.h"

#include <QSqlError>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>
#include <QSqlRecord>

#include <span>
#include <QVariant>

namespace server {

namespace {

// A lock that another session holds (SQLSTATE 55P03, lock_not_available).
struct Busy : Error {
    using Error::Error;
};

// A statement; with values, a prepared one (the server prepares no
// definitions, so those run as they are).
void exec(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(db);
    bool ok = false;
    if (values.isEmpty()) {
        ok = q.exec(sql);
    } else {
        ok = q.prepare(sql);
        for (const QVariant& v : values)
            q.addBindValue(v);
        ok = ok && q.exec();
    }
    if (!ok && q.lastError().nativeErrorCode() == QLatin1String("55P03"))
        throw Busy(engineMessage(q.lastError()));
    if (!ok)
        throw Error(engineMessage(q.lastError()));
}

// The rows of a query, each as its columns.
QList<QVariantList> rows(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool ok = q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    ok = ok && q.exec();
    if (!ok)
        throw Error(engineMessage(q.lastError()));
    QList<QVariantList> result;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        result << row;
    }
    return result;
}

// Statements with role names or passwords in them cannot take bound values;
// the server's format() quotes them (%I a name, %L a literal) and the
// statement it returns is run.
void execFormatted(QSqlDatabase& db, const QString& pattern, const QVariantList& values)
{
    QString marks;
    for (qsizetype i = 0; i < values.size(); ++i)
        marks += QStringLiteral(", ?::text");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT format(?::text%1)").arg(marks));
    q.addBindValue(pattern);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec() || !q.next())
        throw Error(engineMessage(q.lastError()));
    const QString statement = q.value(0).toString();
    q.finish();
    exec(db, statement);
}

bool roleExists(QSqlDatabase& db, const QString& role)
{
    return !rows(db, QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"), {role}).isEmpty();
}

// A role with exactly these attributes and no settings of its own (in any
// database, or in this one): whatever it set for itself is gone.
void makeRole(QSqlDatabase& db, const QString& role, const QString& attributes, const QString& password)
{
    if (!roleExists(db, role))
        execFormatted(db, QStringLiteral("CREATE ROLE %I"), {role});
    execFormatted(db, QStringLiteral("ALTER ROLE %I ") + attributes, {role});
    if (!password.isEmpty())
        execFormatted(db, QStringLiteral("ALTER ROLE %I PASSWORD %L"), {role, password});
    execFormatted(db, QStringLiteral("ALTER ROLE %I RESET ALL"), {role});
    execFormatted(db, QStringLiteral("ALTER ROLE %I IN DATABASE %I RESET ALL"), {role, db.databaseName()});
}

QString pcAttributes()
{
    return QStringLiteral("LOGIN INHERIT NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS "
                          "CONNECTION LIMIT %1")
        .arg(kPcConnectionLimit);
}

const char* kPcTempFileLimit = "100MB";
constexpr int kTeacherPasswordLength = 10;

const char* kTeacherAttributes =
    "LOGIN INHERIT NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS CONNECTION LIMIT -1";
const char* kGroupAttributes =
    "NOLOGIN NOINHERIT NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS PASSWORD NULL";

void makePc(QSqlDatabase& db, const Roles& roles, const QString& pc, const QString& password)
{
    if (pc.isEmpty())
        return;
    if (pc == roles.students || pc == roles.teacher)
        throw Error(QStringLiteral("The PC's role \"%1\" must not be the students' group or the teacher's role")
                        .arg(pc));
    makeRole(db, pc, pcAttributes(), password);
    // A PC's sessions may spill no more than this to disk (a setting only
    // a superuser may change).
    execFormatted(db, QStringLiteral("ALTER ROLE %I SET temp_file_limit = '%s'"),
                  {pc, QString::fromLatin1(kPcTempFileLimit)});
    execFormatted(db, QStringLiteral("GRANT %I TO %I"), {roles.students, pc});
}

// The PC roles: the members of the students' group.
QStringList pcRoles(QSqlDatabase& db, const QString& students)
{
    QStringList result;
    const auto found = rows(db,
                            QStringLiteral("SELECT r.rolname FROM pg_auth_members m JOIN pg_roles r ON r.oid = m.member "
                                           "JOIN pg_roles g ON g.oid = m.roleid WHERE g.rolname = ? ORDER BY 1"),
                            {students});
    for (const QVariantList& row : found)
        result << row.value(0).toString();
    return result;
}

// The settings every function of ours runs with, whatever the calling
// session set: its own search path; no message below an error reaches the
// caller (a server talks about plans, statements and sorts at lower
// levels, and a plan may hold the correct letters as constants), and none
// of the debugging dumps is made.
const char* kFunctionSettings = "search_path=pg_catalog, public, pg_temp|client_min_messages=error|"
                                "debug_print_parse=off|debug_print_rewritten=off|debug_print_plan=off|"
                                "lock_timeout=5s|jit=off";

QString settingClauses()
{
    QString clauses;
    for (const QString& setting : QString::fromLatin1(kFunctionSettings).split(QLatin1Char('|'))) {
        const qsizetype eq = setting.indexOf(QLatin1Char('='));
        const QString name = setting.left(eq);
        const QString value = setting.mid(eq + 1);
        clauses += name == QLatin1String("search_path") ? QStringLiteral(" SET %1 = %2").arg(name, value)
                                                        : QStringLiteral(" SET %1 = '%2'").arg(name, value);
    }
    return clauses;
}

struct Function {
    const char* signature; // as ALTER FUNCTION names it
    const char* head;      // what CREATE FUNCTION takes before the body
    const char* body;
};

// Choosing a topic: records the run under the key the copy made for it,
// with the topic's questions and their correct letters as they stand now,
// so that a question the teacher adds or deletes meanwhile does not change
// the run. The record lives in a table, not in the session: a run survives
// a dropped connection and a restart of the server. Runs older than two
// days are gone. Returns the number of the run's questions.
const char* kStartRunBody = R"(
DECLARE
    v_count integer;
BEGIN
    IF p_run IS NULL OR p_topic IS NULL THEN
        RAISE EXCEPTION 'A test run needs its key and its topic';
    END IF;
    IF length(p_topic) > 255 THEN
        RAISE EXCEPTION 'The name of the topic is too long';
    END IF;
    -- Runs older than two days go; rows another session holds are left for
    -- a later call, so that nobody waits behind them.
    DELETE FROM public.norvena_run WHERE ctid IN (
        SELECT ctid FROM public.norvena_run WHERE started < clock_timestamp() - interval '2 days'
         LIMIT 100 FOR UPDATE SKIP LOCKED);
    SELECT count(*) INTO v_count FROM public.test t WHERE t.rasdel = p_topic;
    IF v_count = 0 THEN
        RETURN 0; -- nothing to record: a name typed half-way, an empty topic
    END IF;
    IF (SELECT count(*) FROM public.norvena_run r
         WHERE r.pc = session_user AND r.started > clock_timestamp() - interval '1 hour')
       >= coalesce((SELECT s.value FROM public.norvena_setting s WHERE s.name = 'runs_per_pc_and_hour'),
                   '2000')::integer THEN
        RAISE EXCEPTION 'Too many test runs were started from this PC in the last hour';
    END IF;
    INSERT INTO public.norvena_run (run, topic, ids, letters, started, pc)
    SELECT p_run, p_topic, array_agg(t.id ORDER BY t.rowid), array_agg(t.otv ORDER BY t.rowid),
           clock_timestamp(), session_user
      FROM public.test t
     WHERE t.rasdel = p_topic
    ON CONFLICT (run) DO NOTHING;
    SELECT cardinality(r.ids) INTO v_count FROM public.norvena_run r WHERE r.run = p_run;
    RETURN v_count;
END
)";

// Grading a sheet: p_sheet is a JSON array of [question id, letter or null]
// pairs in the order of the sheet. The questions are those of the run, or,
// with no such run, the topic's questions as they stand (all questions when
// no topic is given). A question counts as correct when the first sheet
// entry for it holds its correct letter, two absent letters being equal.
// The grade is the last rule row whose bound k × 100 ≥ bound × N reaches.
// The result row is stored, dated with the day in the administrator's zone,
// and the grading is kept under the copy's key for it; nothing is told
// here (norvena_outcome tells it). The same key sent again stores nothing
// more: the copy sends it again when the answer to the first was lost.
const char* kGradeBody = R"(
DECLARE
    v_ids integer[];
    v_letters text[];
    v_sheet jsonb;
    v_correct integer;
    v_questions integer;
    v_code text;
    v_bounds integer[];
    v_codes text[];
    v_zone text;
    v_result bigint;
    v_topic text;
    v_given_ids integer[];
    v_given text[];
BEGIN
    IF p_attempt IS NULL THEN
        RAISE EXCEPTION 'A grading needs its key';
    END IF;
    PERFORM 1 FROM public.norvena_graded g WHERE g.attempt = p_attempt;
    IF FOUND THEN
        RETURN;
    END IF;
    -- The day of the result is the day it is stored: a transaction kept
    -- open since an earlier day must not date it.
    IF clock_timestamp() - now() > coalesce((SELECT s.value FROM public.norvena_setting s
                                              WHERE s.name = 'grading_patience'), '30 seconds')::interval THEN
        RAISE EXCEPTION 'A grading is sent in a transaction of its own';
    END IF;
    IF (SELECT count(*) FROM public.norvena_graded g
         WHERE g.pc = session_user AND g.graded > clock_timestamp() - interval '1 hour')
       >= coalesce((SELECT s.value FROM public.norvena_setting s WHERE s.name = 'gradings_per_pc_and_hour'),
                   '300')::integer THEN
        RAISE EXCEPTION 'Too many gradings were sent from this PC in the last hour';
    END IF;
    IF octet_length(p_sheet) > 1048576 THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is too long';
    END IF;
    BEGIN
        v_sheet := coalesce(p_sheet, '[]')::jsonb;
    EXCEPTION WHEN others THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is damaged';
    END;
    IF jsonb_typeof(v_sheet) <> 'array' THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is damaged';
    END IF;
    IF jsonb_array_length(v_sheet) > 20000 THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is too long';
    END IF;
    IF p_run IS NOT NULL THEN
        SELECT r.ids, r.letters, r.topic INTO v_ids, v_letters, v_topic FROM public.norvena_run r WHERE r.run = p_run;
    END IF;
    IF v_ids IS NULL THEN
        SELECT coalesce(array_agg(t.id ORDER BY t.rowid), '{}'), coalesce(array_agg(t.otv ORDER BY t.rowid), '{}')
          INTO v_ids, v_letters
          FROM public.test t
         WHERE p_topic IS NULL OR t.rasdel = p_topic;
    END IF;
    v_questions := cardinality(v_ids);
    IF v_questions = 0 THEN
        RAISE EXCEPTION 'Invalid floating point operation';
    END IF;
    -- The letter given for each question: its first entry on the sheet.
    BEGIN
        SELECT coalesce(array_agg(a.id), '{}'), coalesce(array_agg(a.otv), '{}') INTO v_given_ids, v_given
          FROM (SELECT DISTINCT ON (s.id) s.id, s.otv
                  FROM (SELECT (e.value ->> 0)::integer AS id, e.value ->> 1 AS otv, e.ordinality AS pos
                          FROM jsonb_array_elements(v_sheet) WITH ORDINALITY AS e) s
                 ORDER BY s.id, s.pos) a;
    EXCEPTION WHEN data_exception THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is damaged';
    END;
    SELECT count(*) INTO v_correct
      FROM unnest(v_ids, v_letters) AS q(id, otv)
      JOIN unnest(v_given_ids, v_given) AS a(id, otv) ON a.id = q.id
     WHERE a.otv IS NOT DISTINCT FROM q.otv;
    -- The grade is found by the same work whatever it is: every rule row
    -- is read and every one compared (how much a search reads shows in the
    -- server's statistics, even inside a transaction rolled back).
    SELECT array_agg(g.from_percent ORDER BY g.from_percent), array_agg(g.stored ORDER BY g.from_percent)
      INTO v_bounds, v_codes
      FROM public.norvena_grade_rule g
     WHERE g.scale = 'letter';
    FOR i IN 1 .. coalesce(cardinality(v_bounds), 0) LOOP
        IF v_correct::bigint * 100 >= v_bounds[i]::bigint * v_questions THEN
            v_code := v_codes[i];
        END IF;
    END LOOP;
    SELECT s.value INTO v_zone FROM public.norvena_setting s WHERE s.name = 'time_zone';
    -- What is written takes the same room whatever the grade: a session
    -- that counts pages of the tables inside a transaction it rolls back
    -- learns nothing (the pad evens out the length of the letter).
    INSERT INTO public.result (fio, data, kol, ocenka, norvena_pad)
    VALUES (p_fio, (clock_timestamp() AT TIME ZONE coalesce(v_zone, 'UTC'))::date, v_questions::text, v_code,
            repeat(' ', 2 - length(coalesce(v_code, ''))))
    RETURNING rowid INTO v_result;
    -- The run's answers, for the teacher's statistics: each question of
    -- the run with the letter given (a text that is no letter kept as "?"),
    -- its letter and its topic. As many rows whatever the grade.
    INSERT INTO public.otvety (result, id, nom, otv, verno, rasdel)
    SELECT v_result, q.id, q.pos, CASE WHEN a.otv IS NULL OR length(a.otv) <= 1 THEN a.otv ELSE '?' END, q.otv,
           coalesce(v_topic, (SELECT t.rasdel FROM public.test t WHERE t.id = q.id))
      FROM unnest(v_ids, v_letters) WITH ORDINALITY AS q(id, otv, pos)
      LEFT JOIN unnest(v_given_ids, v_given) AS a(id, otv) ON a.id = q.id
     ORDER BY q.pos;
    DELETE FROM public.norvena_graded WHERE ctid IN (
        SELECT ctid FROM public.norvena_graded WHERE graded < clock_timestamp() - interval '2 days'
         LIMIT 100 FOR UPDATE SKIP LOCKED);
    INSERT INTO public.norvena_graded (attempt, result, xact, correct, questions, graded, pc)
    VALUES (p_attempt, v_result, pg_current_xact_id(), v_correct, v_questions, clock_timestamp(), session_user);
END
)";

// What a grading gave: k, N and both grades, told only once the grading's
// transaction has committed. Inside the transaction that graded, it is
// refused: what a student's own transaction could take back again (its
// result row) must not tell anything.
const char* kOutcomeBody = R"(
DECLARE
    v_xact xid8;
BEGIN
    SELECT g.xact, g.correct, g.questions INTO v_xact, correct, questions
      FROM public.norvena_graded g
     WHERE g.attempt = p_attempt;
    IF NOT FOUND THEN
        RAISE EXCEPTION 'No grading is stored under this key';
    END IF;
    IF pg_xact_status(v_xact) = 'in progress' THEN
        RAISE EXCEPTION 'A grade is told only once its result is stored: commit the grading first';
    END IF;
    SELECT g.shown INTO five_point FROM public.norvena_grade_rule g
     WHERE g.scale = 'five' AND correct::bigint * 100 >= g.from_percent::bigint * questions
     ORDER BY g.from_percent DESC LIMIT 1;
    SELECT g.shown, g.stored INTO letter_text, letter_code FROM public.norvena_grade_rule g
     WHERE g.scale = 'letter' AND correct::bigint * 100 >= g.from_percent::bigint * questions
     ORDER BY g.from_percent DESC LIMIT 1;
END
)";

const Function kFunctions[] = {
    {"norvena_start_run(uuid, text)", "norvena_start_run(p_run uuid, p_topic text) RETURNS integer", kStartRunBody},
    {"norvena_grade(uuid, uuid, text, text, text)",
     "norvena_grade(p_attempt uuid, p_run uuid, p_fio text, p_topic text, p_sheet text) RETURNS void", kGradeBody},
    {"norvena_outcome(uuid)",
     "norvena_outcome(p_attempt uuid, OUT correct integer, OUT questions integer, OUT five_point text, "
     "OUT letter_text text, OUT letter_code text)",
     kOutcomeBody},
};

// The rule of a student's catalogue entries: anybody's but the teacher's
// and the administrators' (by the login of the session, whatever role it
// took since), for the teacher's role name.
QString mediaRuleBody(const QString& teacher)
{
    QString literal = teacher;
    literal.replace(QLatin1Char('\''), QLatin1String("''"));
    return QStringLiteral(R"(
BEGIN
    IF session_user <> '%1' AND NOT (SELECT r.rolsuper FROM pg_roles r WHERE r.rolname = session_user) THEN
        IF NEW.name IS NULL OR NEW.file IS NULL THEN
            RAISE EXCEPTION 'A catalogue entry needs a title and a file';
        END IF;
        -- The file lies in the course's folder "media", not elsewhere.
        IF NEW.file ~ '[/\\:]' OR NEW.file LIKE '%%..%%' THEN
            RAISE EXCEPTION 'A catalogue entry names a file of the folder media, without a path';
        END IF;
        IF TG_OP = 'INSERT' AND (SELECT count(*) FROM public.media) >= 5000 THEN
            RAISE EXCEPTION 'The catalogue is full: the teacher adds further entries';
        END IF;
    END IF;
    RETURN NEW;
END
)")
        .arg(literal);
}

// Functions of the server that tell how much room tables and the database
// take or how far the log has grown: a student could count, inside a
// transaction rolled back, what a grading wrote. Taken from PUBLIC (for the
// whole server; its superusers keep them).
const char* kSizeFunctions[] = {
    "pg_relation_size(regclass)",    "pg_relation_size(regclass, text)", "pg_table_size(regclass)",
    "pg_indexes_size(regclass)",     "pg_total_relation_size(regclass)", "pg_database_size(name)",
    "pg_database_size(oid)",         "pg_tablespace_size(name)",         "pg_tablespace_size(oid)",
    "pg_current_wal_lsn()",          "pg_current_wal_insert_lsn()",      "pg_current_wal_flush_lsn()",
    // Large objects: room on the server's disk beyond every limit.
    "lo_creat(integer)",             "lo_create(oid)",                   "lo_from_bytea(oid, bytea)",
    "lo_put(oid, bigint, bytea)",    "lowrite(integer, bytea)",
};

// Functions of earlier versions, which told the grade inside the caller's
// transaction: they go.
const char* kOldFunctions[] = {"norvena_time_zone()", "norvena_run_table()", "norvena_start_run(text)",
                               "norvena_grade(text, text, text)"};

// The program's tables with the rights of each role: SELECT of some columns
// is written "SELECT (a, b)".
struct Right {
    const char* table;
    const char* students;
    const char* teacher;
};
const Right kRights[] = {
    {"temi", "SELECT", "SELECT, INSERT"},
    {"test", "SELECT (rowid, id, nom, nom1, test, rasdel)", "SELECT, INSERT, UPDATE, DELETE"},
    {"result", "SELECT (rowid, fio, data, kol, ocenka)",
     "SELECT (rowid, fio, data, kol, ocenka), INSERT (fio, data, kol, ocenka, norvena_pad), "
     "UPDATE (fio, data, kol, ocenka), DELETE"},
    {"media", "SELECT, INSERT (name, file)", "SELECT, INSERT, UPDATE, DELETE"},
    {"norvena_grade_rule", nullptr, "SELECT"},
    {"norvena_setting", nullptr, "SELECT"},
    {"norvena_run", nullptr, "SELECT, INSERT, UPDATE, DELETE"},
    {"norvena_graded", nullptr, "SELECT, INSERT, UPDATE, DELETE"},
    // The runs' answers: written by the grading function (which runs with
    // the teacher's rights); the teacher reads them, and they go with a
    // result row the teacher deletes. Students have no right on them.
    {"otvety", nullptr, "SELECT, INSERT"},
};

void grantRights(QSqlDatabase& db, const Roles& roles, const QStringList& pcs)
{
    // Only the roles of the course may connect; nobody but the
    // administrator creates anything, and no session of a student makes
    // tables of its own.
    execFormatted(db, QStringLiteral("REVOKE ALL ON DATABASE %I FROM PUBLIC"), {db.databaseName()});
    execFormatted(db, QStringLiteral("REVOKE ALL ON DATABASE %I FROM %I"), {db.databaseName(), roles.students});
    execFormatted(db, QStringLiteral("GRANT CONNECT ON DATABASE %I TO %I, %I"),
                  {db.databaseName(), roles.students, roles.teacher});
    execFormatted(db, QStringLiteral("GRANT TEMPORARY ON DATABASE %I TO %I"), {db.databaseName(), roles.teacher});
    exec(db, QStringLiteral("REVOKE ALL ON SCHEMA public FROM PUBLIC"));
    execFormatted(db, QStringLiteral("GRANT USAGE ON SCHEMA public TO %I, %I"), {roles.students, roles.teacher});

    for (const Right& r : kRights) {
        const QString table = QString::fromLatin1(r.table);
        execFormatted(db, QStringLiteral("REVOKE ALL ON public.%I FROM PUBLIC, %I, %I"),
                      {table, roles.students, roles.teacher});
        for (const QString& pc : pcs) {
            execFormatted(db, QStringLiteral("REVOKE ALL ON DATABASE %I FROM %I"), {db.databaseName(), pc});
            execFormatted(db, QStringLiteral("REVOKE ALL ON public.%I FROM %I"), {table, pc});
        }
        if (r.students)
            execFormatted(db, QStringLiteral("GRANT %s ON public.%I TO %I"),
                          {QString::fromLatin1(r.students), table, roles.students});
        execFormatted(db, QStringLiteral("GRANT %s ON public.%I TO %I"),
                      {QString::fromLatin1(r.teacher), table, roles.teacher});
    }
}

} // namespace

void addPc(QSqlDatabase db, const Roles& roles, const QString& pc, const QString& password)
{
    if (!roleExists(db, roles.students))
        throw Error(QStringLiteral("The students' role \"%1\" does not exist: set the server up first").arg(roles.students));
    if (!db.transaction())
        throw Error(engineMessage(db.lastError()));
    try {
        exec(db, QStringLiteral("SET LOCAL client_min_messages = warning"));
        makePc(db, roles, pc, password);
        if (!db.commit())
            throw Error(engineMessage(db.lastError()));
    } catch (...) {
        db.rollback();
        throw;
    }
}

namespace {

void setUpOnce(QSqlDatabase db, const Roles& roles)
{
    if (!db.transaction())
        throw Error(engineMessage(db.lastError()));
    try {
        exec(db, QStringLiteral("SET LOCAL client_min_messages = warning"));
        // A table another session holds is asked for a moment at a time, so
        // that no student waits behind the set-up for long (setUp tries
        // again).
        exec(db, QStringLiteral("SET LOCAL lock_timeout = 100"));
        makeRole(db, roles.students, QString::fromLatin1(kGroupAttributes), QString());
        makeRole(db, roles.teacher, QString::fromLatin1(kTeacherAttributes), roles.teacherPassword);
        makePc(db, roles, roles.pc, roles.pcPassword);
        const QStringList pcs = pcRoles(db, roles.students);
        for (const QString& pc : pcs)
            makePc(db, roles, pc, QString());

        // The tables; the answer sheet stays with each copy of the program.
        for (const schema::Table& t : schema::tables()) {
            if (t.qname() != QLatin1String("testing"))
                exec(db, schema::serverDdl(t, false));
        }
        // A topic's questions are found by their topic (the grading functions).
        exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS norvena_test_rasdel ON public.test (rasdel)"));
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS public.norvena_grade_rule ("
                                "scale text NOT NULL, from_percent integer NOT NULL, shown text NOT NULL, "
                                "stored text NOT NULL, PRIMARY KEY (scale, from_percent))"));
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS public.norvena_setting (name text PRIMARY KEY, "
                                "value text NOT NULL)"));
        // Runs and gradings, with the PC that made them (the teacher can
        // tell which PC probed).
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS public.norvena_run (run uuid PRIMARY KEY, "
                                "topic text NOT NULL, ids integer[] NOT NULL, letters text[] NOT NULL, "
                                "started timestamptz NOT NULL DEFAULT clock_timestamp(), "
                                "pc name NOT NULL DEFAULT session_user)"));
        exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS norvena_run_started ON public.norvena_run (started)"));
        exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS norvena_run_pc ON public.norvena_run (pc, started)"));
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS public.norvena_graded (attempt uuid PRIMARY KEY, "
                                "result bigint, xact xid8 NOT NULL, correct integer NOT NULL, "
                                "questions integer NOT NULL, graded timestamptz NOT NULL DEFAULT clock_timestamp(), "
                                "pc name NOT NULL DEFAULT session_user)"));
        exec(db,
             QStringLiteral("CREATE INDEX IF NOT EXISTS norvena_graded_graded ON public.norvena_graded (graded)"));
        exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS norvena_graded_pc ON public.norvena_graded (pc, graded)"));
        for (const QString& ddl : schema::answersServerDdl())
            exec(db, ddl);
        // The result's pad: see norvena_grade. Nobody reads it.
        exec(db, QStringLiteral("ALTER TABLE public.result ADD COLUMN IF NOT EXISTS norvena_pad varchar(2)"));
        // A student's catalogue entry names a title and a file. What the
        // teacher or the administrator stores (a course brought over with
        // every value as it was) is theirs to decide.
        exec(db, QStringLiteral("CREATE OR REPLACE FUNCTION public.norvena_media_named() RETURNS trigger "
                                "LANGUAGE plpgsql SET search_path = pg_catalog, public AS $norvena$%1$norvena$")
                     .arg(mediaRuleBody(roles.teacher)));
        exec(db, QStringLiteral("REVOKE ALL ON FUNCTION public.norvena_media_named() FROM PUBLIC"));
        exec(db, QStringLiteral("DROP TRIGGER IF EXISTS norvena_media_named ON public.media"));
        exec(db, QStringLiteral("CREATE TRIGGER norvena_media_named BEFORE INSERT OR UPDATE ON public.media "
                                "FOR EACH ROW EXECUTE FUNCTION public.norvena_media_named()"));

        // Results: the teacher sees and changes them all; a student's copy may
        // open the table but is shown no row and can write none.
        exec(db, QStringLiteral("ALTER TABLE public.result ENABLE ROW LEVEL SECURITY"));
        exec(db, QStringLiteral("ALTER TABLE public.result NO FORCE ROW LEVEL SECURITY"));
        for (const QVariantList& policy :
             rows(db, QStringLiteral("SELECT policyname FROM pg_policies WHERE schemaname = 'public' "
                                     "AND tablename = 'result'")))
            execFormatted(db, QStringLiteral("DROP POLICY %I ON public.result"), {policy.value(0)});
        execFormatted(db,
                      QStringLiteral("CREATE POLICY norvena_teacher ON public.result FOR ALL TO %I "
                                     "USING (true) WITH CHECK (true)"),
                      {roles.teacher});

        grantRights(db, roles, pcs);

        // The grading rules, the program's own rows.
        exec(db, QStringLiteral("DELETE FROM public.norvena_grade_rule"));
        const auto addRules = [&db](const char* scale, std::span<const grading::Rule> rules) {
            for (const grading::Rule& r : rules)
                exec(db,
                     QStringLiteral("INSERT INTO public.norvena_grade_rule (scale, from_percent, shown, stored) "
                                    "VALUES (?, ?, ?, ?)"),
                     {QString::fromLatin1(scale), r.from, QString::fromUtf16(r.text), QString::fromUtf16(r.letter)});
        };
        addRules("five", grading::fivePointRules());
        addRules("letter", grading::letterRules());

        // The day of a result is the one in this zone, whatever zone a
        // client's session asks for.
        QString zone = roles.timeZone;
        if (zone.isEmpty()) {
            const auto stored = rows(db, QStringLiteral("SELECT value FROM public.norvena_setting "
                                                        "WHERE name = 'time_zone'"));
            zone = stored.isEmpty() ? rows(db, QStringLiteral("SELECT current_setting('TimeZone')")).value(0).value(0).toString()
                                    : stored.value(0).value(0).toString();
        }
        exec(db, QStringLiteral("SELECT now() AT TIME ZONE ?"), {zone}); // an unknown zone is refused here
        exec(db,
             QStringLiteral("INSERT INTO public.norvena_setting (name, value) VALUES ('time_zone', ?) "
                            "ON CONFLICT (name) DO UPDATE SET value = excluded.value"),
             {zone});

        for (const char* old : kOldFunctions)
            exec(db, QStringLiteral("DROP FUNCTION IF EXISTS public.%1").arg(QLatin1String(old)));
        for (const char* f : kSizeFunctions)
            exec(db, QStringLiteral("REVOKE EXECUTE ON FUNCTION pg_catalog.%1 FROM PUBLIC").arg(QLatin1String(f)));
        exec(db, QStringLiteral("ALTER TABLE public.norvena_graded DROP COLUMN IF EXISTS five_point, "
                                "DROP COLUMN IF EXISTS letter_text, DROP COLUMN IF EXISTS letter_code"));
        // The functions run with the teacher's rights, not the administrator's.
        for (const Function& f : kFunctions) {
            exec(db, QStringLiteral("CREATE OR REPLACE FUNCTION public.%1 LANGUAGE plpgsql SECURITY DEFINER%2 "
                                    "AS $norvena$%3$norvena$")
                         .arg(QLatin1String(f.head), settingClauses(), QString::fromUtf8(f.body)));
            execFormatted(db, QStringLiteral("ALTER FUNCTION public.%s OWNER TO %I"),
                          {QString::fromLatin1(f.signature), roles.teacher});
            exec(db, QStringLiteral("REVOKE ALL ON FUNCTION public.%1 FROM PUBLIC").arg(QLatin1String(f.signature)));
            execFormatted(db, QStringLiteral("GRANT EXECUTE ON FUNCTION public.%s TO %I, %I"),
                          {QString::fromLatin1(f.signature), roles.students, roles.teacher});
        }
        if (!db.commit())
            throw Error(engineMessage(db.lastError()));
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace

void setUp(QSqlDatabase db, const Roles& roles)
{
    if (roles.students.isEmpty() || roles.teacher.isEmpty() || roles.students == roles.teacher)
        throw Error(QStringLiteral("The students' and the teacher's roles need two different names"));
    // Every student may try the teacher's password against the server.
    if (!roles.teacherPassword.isEmpty() && roles.teacherPassword.size() < kTeacherPasswordLength)
        throw Error(QStringLiteral("The teacher's password needs at least %1 characters").arg(kTeacherPasswordLength));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        try {
            setUpOnce(db, roles);
            return;
        } catch (const Busy& e) {
            if (waited.elapsed() > 5000)
                throw Error(QStringLiteral("The server is busy: a session kept the course's tables for 5 s, "
                                           "nothing was set up; try again when it has finished (%1)")
                                .arg(e.message()));
            QThread::msleep(250);
        }
    }
}

QStringList check(QSqlDatabase db, const Roles& roles)
{
    QStringList differences;
    const auto role = [&db](const QString& name) {
        return rows(db,
                    QStringLiteral("SELECT rolcanlogin, rolinherit, rolsuper, rolcreatedb, rolcreaterole, "
                                   "rolreplication, rolbypassrls, rolconnlimit FROM pg_roles WHERE rolname = ?"),
                    {name});
    };
    // The attributes setUp gives: login, inherit, then none of the others,
    // and the connection limit.
    const auto attributes = [&](const QString& name, bool login, bool inherit, int limit, bool checkLimit) {
        const auto found = role(name);
        if (found.isEmpty()) {
            differences << QStringLiteral("role %1 does not exist").arg(name);
            return;
        }
        const QVariantList& r = found.first();
        if (r.value(0).toBool() != login)
            differences << QStringLiteral("role %1 %2").arg(name, login ? QStringLiteral("cannot log in")
                                                                         : QStringLiteral("can log in"));
        if (r.value(1).toBool() != inherit)
            differences << QStringLiteral("role %1: INHERIT differs").arg(name);
        for (int i = 2; i <= 6; ++i) {
            if (r.value(i).toBool())
                differences << QStringLiteral("role %1 has a right of its own the course does not give it (superuser, "
                                              "create database, create role, replication or bypass RLS)")
                                   .arg(name);
        }
        if (checkLimit && r.value(7).toInt() != limit)
            differences << QStringLiteral("role %1: connection limit %2, not %3").arg(name).arg(r.value(7).toInt()).arg(limit);
    };
    attributes(roles.students, false, false, -1, false);
    attributes(roles.teacher, true, true, -1, true);
    const QStringList pcs = pcRoles(db, roles.students);
    if (pcs.isEmpty())
        differences << QStringLiteral("no PC role is a member of %1 (norvena-admin add-pc)").arg(roles.students);
    for (const QString& pc : pcs)
        attributes(pc, true, true, kPcConnectionLimit, true);

    // Settings of the course's roles.
    QStringList ours = pcs;
    ours << roles.students << roles.teacher;
    for (const QVariantList& r :
         rows(db,
              QStringLiteral("SELECT r.rolname, array_to_string(s.setconfig, ', ') FROM pg_db_role_setting s "
                             "JOIN pg_roles r ON r.oid = s.setrole WHERE s.setdatabase IN (0, "
                             "(SELECT oid FROM pg_database WHERE datname = current_database()))"))) {
        const QString who = r.value(0).toString();
        const QString set = r.value(1).toString();
        if (pcs.contains(who) && set == QStringLiteral("temp_file_limit=") + QLatin1String(kPcTempFileLimit))
            continue;
        if (ours.contains(who))
            differences << QStringLiteral("role %1 has settings of its own: %2").arg(who, set);
    }
    for (const QString& pc : pcs) {
        if (rows(db,
                 QStringLiteral("SELECT 1 FROM pg_db_role_setting s JOIN pg_roles r ON r.oid = s.setrole "
                                "WHERE r.rolname = ? AND s.setdatabase = 0 AND ? = ANY (s.setconfig)"),
                 {pc, QStringLiteral("temp_file_limit=") + QLatin1String(kPcTempFileLimit)})
                .isEmpty())
            differences << QStringLiteral("role %1: no limit on its temporary files").arg(pc);
    }
    for (const char* f : kSizeFunctions) {
        if (rows(db, QStringLiteral("SELECT has_function_privilege('public', ?, 'EXECUTE')"),
                 {QStringLiteral("pg_catalog.") + QLatin1String(f)})
                .value(0)
                .value(0)
                .toBool())
            differences << QStringLiteral("everybody may run %1, which is the administrator's alone").arg(QLatin1String(f));
    }

    // Rights: PUBLIC and the PC roles have none of their own; the group and
    // the teacher have exactly theirs.
    const auto privilege = [&db](const QString& who, const QString& table, const QString& what) {
        return rows(db, QStringLiteral("SELECT has_table_privilege(?, ?, ?)"), {who, QStringLiteral("public.") + table, what})
            .value(0)
            .value(0)
            .toBool();
    };
    for (const Right& r : kRights) {
        const QString table = QString::fromLatin1(r.table);
        if (rows(db, QStringLiteral("SELECT to_regclass(?)"), {QStringLiteral("public.") + table}).value(0).value(0).isNull()) {
            differences << QStringLiteral("table %1 does not exist").arg(table);
            continue;
        }
        for (const char* what : {"SELECT", "INSERT", "UPDATE", "DELETE", "TRUNCATE", "REFERENCES", "TRIGGER"}) {
            const QString w = QString::fromLatin1(what);
            const QString s = QString::fromLatin1(r.students ? r.students : "");
            const QString t = QString::fromLatin1(r.teacher);
            // Whole-table rights only; column rights (the students' SELECT of
            // test, INSERT of media) are checked below.
            const bool studentsWhole = s.split(QStringLiteral(", ")).contains(w);
            const bool teacherWhole = t.split(QStringLiteral(", ")).contains(w);
            if (privilege(roles.students, table, w) != studentsWhole)
                differences << QStringLiteral("%1: %2 %3 %4").arg(table, roles.students,
                                                                  studentsWhole ? QStringLiteral("lacks") : QStringLiteral("has"), w);
            if (privilege(roles.teacher, table, w) != teacherWhole)
                differences << QStringLiteral("%1: %2 %3 %4").arg(table, roles.teacher,
                                                                  teacherWhole ? QStringLiteral("lacks") : QStringLiteral("has"), w);
        }
        const auto direct = rows(db,
                                 QStringLiteral("SELECT grantee, privilege_type FROM information_schema.role_table_grants "
                                                "WHERE table_schema = 'public' AND table_name = ? AND grantee <> ? "
                                                "AND grantee <> ? AND grantee <> current_user "
                                                "AND grantee NOT IN (SELECT rolname FROM pg_roles WHERE rolsuper)"),
                                 {table, roles.students, roles.teacher});
        for (const QVariantList& g : direct)
            differences << QStringLiteral("%1: %2 has %3").arg(table, g.value(0).toString(), g.value(1).toString());
    }
    const auto column = [&db](const QString& who, const QString& table, const QString& col, const QString& what) {
        return rows(db, QStringLiteral("SELECT has_column_privilege(?, ?, ?, ?)"),
                    {who, QStringLiteral("public.") + table, col, what})
            .value(0)
            .value(0)
            .toBool();
    };
    if (column(roles.students, QStringLiteral("test"), QStringLiteral("otv"), QStringLiteral("SELECT")))
        differences << QStringLiteral("test: %1 may read the correct letters").arg(roles.students);
    if (!column(roles.students, QStringLiteral("test"), QStringLiteral("test"), QStringLiteral("SELECT")))
        differences << QStringLiteral("test: %1 may not read the questions").arg(roles.students);
    if (column(roles.students, QStringLiteral("media"), QStringLiteral("rowid"), QStringLiteral("INSERT")))
        differences << QStringLiteral("media: %1 may choose an entry's key").arg(roles.students);
    if (!column(roles.students, QStringLiteral("media"), QStringLiteral("name"), QStringLiteral("INSERT")))
        differences << QStringLiteral("media: %1 may not add an entry").arg(roles.students);
    if (rows(db, QStringLiteral("SELECT 1 FROM pg_trigger t JOIN pg_proc p ON p.oid = t.tgfoid "
                                "WHERE t.tgrelid = 'public.media'::regclass AND t.tgname = 'norvena_media_named' "
                                "AND t.tgenabled = 'O' AND p.prosrc = ?"),
             {mediaRuleBody(roles.teacher)})
            .isEmpty())
        differences << QStringLiteral("media: a student's entry without a title or a file is not refused");
    if (rows(db, QStringLiteral("SELECT has_database_privilege(?, current_database(), 'TEMPORARY')"), {roles.students})
            .value(0)
            .value(0)
            .toBool())
        differences << QStringLiteral("%1 may make tables of its own").arg(roles.students);
    if (rows(db, QStringLiteral("SELECT relrowsecurity FROM pg_class WHERE oid = 'public.result'::regclass"))
            .value(0)
            .value(0)
            .toBool() == false)
        differences << QStringLiteral("result: row-level security is off: a student sees every result");
    const auto policies = rows(db, QStringLiteral("SELECT policyname, array_to_string(roles, ',') FROM pg_policies "
                                                  "WHERE schemaname = 'public' AND tablename = 'result'"));
    if (policies.size() != 1 || policies.value(0).value(1).toString() != roles.teacher)
        differences << QStringLiteral("result: the row policies differ from the teacher's one");

    // The functions: present as setUp makes them, and nothing else of ours
    // that students may run.
    for (const Function& f : kFunctions) {
        const auto found = rows(db,
                                QStringLiteral("SELECT p.prosrc, p.prosecdef, array_to_string(p.proconfig, '|'), "
                                               "pg_get_userbyid(p.proowner) FROM pg_proc p WHERE p.oid = "
                                               "to_regprocedure(?)"),
                                {QStringLiteral("public.") + QString::fromLatin1(f.signature)});
        const QString name = QString::fromLatin1(f.signature);
        if (found.isEmpty()) {
            differences << QStringLiteral("function %1 does not exist").arg(name);
            continue;
        }
        const QVariantList& p = found.first();
        if (p.value(0).toString() != QString::fromUtf8(f.body))
            differences << QStringLiteral("function %1: its body differs from this version's").arg(name);
        if (!p.value(1).toBool())
            differences << QStringLiteral("function %1 does not run with its owner's rights").arg(name);
        if (p.value(2).toString() != QString::fromLatin1(kFunctionSettings))
            differences << QStringLiteral("function %1: its settings are %2").arg(name, p.value(2).toString());
        if (p.value(3).toString() != roles.teacher)
            differences << QStringLiteral("function %1 is owned by %2").arg(name, p.value(3).toString());
        if (rows(db, QStringLiteral("SELECT has_function_privilege('public', to_regprocedure(?), 'EXECUTE')"),
                 {QStringLiteral("public.") + name})
                .value(0)
                .value(0)
                .toBool())
            differences << QStringLiteral("function %1: everybody may run it").arg(name);
    }
    for (const char* old : kOldFunctions) {
        if (!rows(db, QStringLiteral("SELECT to_regprocedure(?)"), {QStringLiteral("public.") + QLatin1String(old)})
                 .value(0)
                 .value(0)
                 .isNull())
            differences << QStringLiteral("function %1 of an earlier version is still there").arg(QLatin1String(old));
    }

    // The grading rules and the zone of the results' day.
    qsizetype rules = 0;
    for (const auto& set : {grading::fivePointRules(), grading::letterRules()})
        rules += qsizetype(set.size());
    if (rows(db, QStringLiteral("SELECT count(*) FROM public.norvena_grade_rule")).value(0).value(0).toLongLong() != rules)
        differences << QStringLiteral("norvena_grade_rule: the grading rules differ from the program's");
    if (rows(db, QStringLiteral("SELECT 1 FROM public.norvena_setting WHERE name = 'time_zone'")).isEmpty())
        differences << QStringLiteral("no time zone is set for the results' day");

    // Room for the teacher: every PC at its limit still leaves slots.
    const int available = rows(db, QStringLiteral("SELECT current_setting('max_connections')::int - "
                                              "current_setting('superuser_reserved_connections')::int"))
                          .value(0)
                          .value(0)
                          .toInt();
    const qsizetype wanted = pcs.size() * kPcConnectionLimit + 5;
    if (wanted > available)
        differences << QStringLiteral("max_connections leaves %1 connections for %2 PCs at %3 each and the teacher: "
                                      "raise it to at least %4")
                           .arg(available)
                           .arg(int(pcs.size()))
                           .arg(kPcConnectionLimit)
                           .arg(int(wanted) + 3);
    return differences;
}

} // namespace server
