#include "admin/ServerSetup.h"

#include "data/Schema.h"
#include "data/SqlError.h"
#include "forms/Grading.h"
#include "platform/Error.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace server {

namespace {

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
    if (!ok)
        throw Error(engineMessage(q.lastError()));
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
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM pg_roles WHERE rolname = ?"));
    q.addBindValue(role);
    if (!q.exec())
        throw Error(engineMessage(q.lastError()));
    return q.next();
}

void makeRole(QSqlDatabase& db, const QString& role, const QString& password)
{
    if (!roleExists(db, role))
        execFormatted(db, QStringLiteral("CREATE ROLE %I LOGIN"), {role});
    else
        execFormatted(db, QStringLiteral("ALTER ROLE %I LOGIN"), {role});
    if (!password.isEmpty())
        execFormatted(db, QStringLiteral("ALTER ROLE %I PASSWORD %L"), {role, password});
}

// The session's record of the test run it started last for each topic: the
// questions and their correct letters as they stood when the topic was
// chosen, so that a question the teacher adds or deletes meanwhile does not
// change the run. A temporary table made by the grading functions, owned by
// their owner: the student's session can neither read nor change it. A table
// of that name that the session made itself is refused.
const char* kRunTable = R"(
CREATE OR REPLACE FUNCTION public.norvena_run_table() RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
BEGIN
    IF to_regclass('pg_temp.norvena_run') IS NULL THEN
        CREATE TEMP TABLE norvena_run (topic text PRIMARY KEY, ids integer[] NOT NULL, letters text[] NOT NULL);
    END IF;
    IF (SELECT c.relowner FROM pg_class c WHERE c.oid = to_regclass('pg_temp.norvena_run'))
       IS DISTINCT FROM (SELECT r.oid FROM pg_roles r WHERE r.rolname = current_user) THEN
        RAISE EXCEPTION 'The test run record of this session was not made by the server';
    END IF;
END $$)";

// Choosing a topic: records the run; returns the number of its questions.
const char* kStartRun = R"(
CREATE OR REPLACE FUNCTION public.norvena_start_run(p_topic text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_count integer;
BEGIN
    PERFORM public.norvena_run_table();
    DELETE FROM pg_temp.norvena_run WHERE topic = p_topic;
    INSERT INTO pg_temp.norvena_run (topic, ids, letters)
    SELECT p_topic, coalesce(array_agg(t.id ORDER BY t.rowid), '{}'),
           coalesce(array_agg(t.otv ORDER BY t.rowid), '{}')
      FROM public.test t
     WHERE t.rasdel = p_topic
    RETURNING cardinality(ids) INTO v_count;
    RETURN v_count;
END $$)";

// Grading a sheet: p_sheet is a JSON array of [question id, letter or null]
// pairs in the order of the sheet. The questions are those of the run this
// session started for the topic, or, with no such run, the topic's questions
// as they stand (all questions when no topic is given). A question counts
// as correct when the first sheet entry for it holds its correct letter,
// two absent letters being equal. The grade is the last rule row whose
// bound k × 100 ≥ bound × N reaches. The result row is stored, and k, N and
// both grades are returned.
const char* kGrade = R"(
CREATE OR REPLACE FUNCTION public.norvena_grade(p_fio text, p_topic text, p_sheet text,
    OUT correct integer, OUT questions integer, OUT five_point text, OUT letter_text text, OUT letter_code text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, public, pg_temp AS $$
DECLARE
    v_ids integer[];
    v_letters text[];
    v_sheet jsonb;
BEGIN
    BEGIN
        v_sheet := coalesce(p_sheet, '[]')::jsonb;
    EXCEPTION WHEN others THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is damaged';
    END;
    IF jsonb_typeof(v_sheet) <> 'array' THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is damaged';
    END IF;
    IF p_topic IS NOT NULL AND to_regclass('pg_temp.norvena_run') IS NOT NULL THEN
        PERFORM public.norvena_run_table();
        SELECT r.ids, r.letters INTO v_ids, v_letters FROM pg_temp.norvena_run r WHERE r.topic = p_topic;
    END IF;
    IF v_ids IS NULL THEN
        SELECT coalesce(array_agg(t.id ORDER BY t.rowid), '{}'), coalesce(array_agg(t.otv ORDER BY t.rowid), '{}')
          INTO v_ids, v_letters
          FROM public.test t
         WHERE p_topic IS NULL OR t.rasdel = p_topic;
    END IF;
    questions := cardinality(v_ids);
    IF questions = 0 THEN
        RAISE EXCEPTION 'Invalid floating point operation';
    END IF;
    BEGIN
        SELECT count(*) INTO correct
          FROM unnest(v_ids, v_letters) AS q(id, otv)
          JOIN (SELECT DISTINCT ON (s.id) s.id, s.otv
                  FROM (SELECT (e.value ->> 0)::integer AS id, e.value ->> 1 AS otv, e.ordinality AS pos
                          FROM jsonb_array_elements(v_sheet) WITH ORDINALITY AS e) s
                 ORDER BY s.id, s.pos) a ON a.id = q.id
         WHERE a.otv IS NOT DISTINCT FROM q.otv;
    EXCEPTION WHEN data_exception THEN
        RAISE EXCEPTION 'The answer sheet sent for grading is damaged';
    END;
    SELECT g.shown INTO five_point FROM public.norvena_grade_rule g
     WHERE g.scale = 'five' AND correct::bigint * 100 >= g.from_percent::bigint * questions
     ORDER BY g.from_percent DESC LIMIT 1;
    SELECT g.shown, g.stored INTO letter_text, letter_code FROM public.norvena_grade_rule g
     WHERE g.scale = 'letter' AND correct::bigint * 100 >= g.from_percent::bigint * questions
     ORDER BY g.from_percent DESC LIMIT 1;
    INSERT INTO public.result (fio, data, kol, ocenka)
    VALUES (p_fio, (now() AT TIME ZONE public.norvena_time_zone())::date, questions::text, letter_code);
END $$)";

} // namespace

void setUp(QSqlDatabase db, const Roles& roles)
{
    if (roles.student.isEmpty() || roles.teacher.isEmpty() || roles.student == roles.teacher)
        throw Error(QStringLiteral("The students' and the teacher's roles need two different names"));
    if (!db.transaction())
        throw Error(engineMessage(db.lastError()));
    try {
        exec(db, QStringLiteral("SET LOCAL client_min_messages = warning"));
        makeRole(db, roles.student, roles.studentPassword);
        makeRole(db, roles.teacher, roles.teacherPassword);
        const QVariantList both{roles.student, roles.teacher};

        // Only the two roles may connect; nobody but the administrator creates anything.
        execFormatted(db, QStringLiteral("REVOKE ALL ON DATABASE %I FROM PUBLIC"), {db.databaseName()});
        execFormatted(db, QStringLiteral("GRANT CONNECT, TEMPORARY ON DATABASE %I TO %I, %I"),
                      {db.databaseName(), roles.student, roles.teacher});
        exec(db, QStringLiteral("REVOKE ALL ON SCHEMA public FROM PUBLIC"));
        execFormatted(db, QStringLiteral("GRANT USAGE ON SCHEMA public TO %I, %I"), both);

        // The tables; the answer sheet is a table of each session's own (TEMP).
        for (const schema::Table& t : schema::tables()) {
            if (t.qname() != QLatin1String("testing"))
                exec(db, schema::serverDdl(t, false));
        }
        for (const char* table : {"temi", "test", "result", "media"})
            execFormatted(db, QStringLiteral("REVOKE ALL ON public.%I FROM PUBLIC, %I, %I"),
                          {QString::fromLatin1(table), roles.student, roles.teacher});

        // The topics: the teacher's question import adds a topic it brings.
        execFormatted(db, QStringLiteral("GRANT SELECT ON public.temi TO %I"), {roles.student});
        execFormatted(db, QStringLiteral("GRANT SELECT, INSERT ON public.temi TO %I"), {roles.teacher});
        execFormatted(db, QStringLiteral("GRANT SELECT (rowid, id, nom, nom1, test, rasdel) ON public.test TO %I"),
                      {roles.student});
        execFormatted(db, QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON public.test TO %I"), {roles.teacher});
        execFormatted(db, QStringLiteral("GRANT SELECT, INSERT ON public.media TO %I"), {roles.student});
        execFormatted(db, QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON public.media TO %I"),
                      {roles.teacher});

        // Results: the teacher sees and changes them all; a student's copy may
        // open the table but is shown no row and can write none.
        exec(db, QStringLiteral("ALTER TABLE public.result ENABLE ROW LEVEL SECURITY"));
        exec(db, QStringLiteral("DROP POLICY IF EXISTS norvena_teacher ON public.result"));
        execFormatted(db,
                      QStringLiteral("CREATE POLICY norvena_teacher ON public.result FOR ALL TO %I "
                                     "USING (true) WITH CHECK (true)"),
                      {roles.teacher});
        execFormatted(db, QStringLiteral("GRANT SELECT ON public.result TO %I"), {roles.student});
        execFormatted(db, QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON public.result TO %I"),
                      {roles.teacher});

        // The grading rules, the program's own rows.
        exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS public.norvena_grade_rule ("
                                "scale text NOT NULL, from_percent integer NOT NULL, shown text NOT NULL, "
                                "stored text NOT NULL, PRIMARY KEY (scale, from_percent))"));
        exec(db, QStringLiteral("REVOKE ALL ON public.norvena_grade_rule FROM PUBLIC"));
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
        execFormatted(db, QStringLiteral("GRANT SELECT ON public.norvena_grade_rule TO %I"), {roles.teacher});

        // The day of a result is the server's own: its configured time zone,
        // whatever zone a client's session asks for.
        exec(db,
             QStringLiteral(
                 "CREATE OR REPLACE FUNCTION public.norvena_time_zone() RETURNS text LANGUAGE sql STABLE "
                 "SET search_path = pg_catalog AS $$ SELECT reset_val FROM pg_settings WHERE name = 'TimeZone' $$"));
        exec(db, QString::fromUtf8(kRunTable));
        exec(db, QString::fromUtf8(kStartRun));
        exec(db, QString::fromUtf8(kGrade));
        // The functions run with the teacher's rights, not the administrator's.
        for (const char* f : {"norvena_time_zone()", "norvena_run_table()", "norvena_start_run(text)",
                              "norvena_grade(text, text, text)"}) {
            execFormatted(db, QStringLiteral("ALTER FUNCTION public.%s OWNER TO %I"),
                          {QString::fromLatin1(f), roles.teacher});
            exec(db, QStringLiteral("REVOKE ALL ON FUNCTION public.%1 FROM PUBLIC").arg(QLatin1String(f)));
        }
        execFormatted(db,
                      QStringLiteral("GRANT EXECUTE ON FUNCTION public.norvena_start_run(text), "
                                     "public.norvena_grade(text, text, text) TO %I, %I"),
                      both);
        if (!db.commit())
            throw Error(engineMessage(db.lastError()));
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace server
