-- The database Marquel is delivered with: six tables, every field by its exact name.
-- Texts compare without regard to letter case (COLLATE NOCASE), as users of the program expect.
-- Counters are whole numbers defaulting to 0; dates are stored as yyyy-MM-dd text.

CREATE TABLE planTable (
    "序号"          TEXT(50)  COLLATE NOCASE,
    "题目"          TEXT(100) COLLATE NOCASE,
    "时间周期"      TEXT(50)  COLLATE NOCASE,
    "地区"          TEXT(100) COLLATE NOCASE,
    "方式"          TEXT(100) COLLATE NOCASE,
    "营销对象描述"  TEXT(255) COLLATE NOCASE,
    "规模（数量）"  TEXT(50)  COLLATE NOCASE,
    "预计反馈数"    TEXT(50)  COLLATE NOCASE,
    "费用"          TEXT(50)  COLLATE NOCASE,
    "内容"          LONGTEXT  COLLATE NOCASE
);

CREATE TABLE marketingComment (
    "序号"          TEXT(50)  COLLATE NOCASE,
    "题目"          TEXT(100) COLLATE NOCASE,
    "规模（数量）"  TEXT(50)  COLLATE NOCASE,
    "预计反馈数"    TEXT(50)  COLLATE NOCASE,
    "时间周期"      TEXT(50)  COLLATE NOCASE,
    "费用"          TEXT(50)  COLLATE NOCASE,
    "反馈合计"      TEXT(50)  COLLATE NOCASE,
    "反馈率"        TEXT(50)  COLLATE NOCASE
);

CREATE TABLE feedbackTable (
    "序号"                TEXT(50)  COLLATE NOCASE,
    "时间"                DATE,
    "题目"                TEXT(100) COLLATE NOCASE,
    "电话数"              INTEGER DEFAULT 0,
    "传真数"              INTEGER DEFAULT 0,
    "Email数"             INTEGER DEFAULT 0,
    "信函数"              INTEGER DEFAULT 0,
    "面访人数"            INTEGER DEFAULT 0,
    "参观人数"            INTEGER DEFAULT 0,
    "产品1计数"           INTEGER DEFAULT 0,
    "产品2计数"           INTEGER DEFAULT 0,
    "产品3计数"           INTEGER DEFAULT 0,
    "产品4计数"           INTEGER DEFAULT 0,
    "产品5计数"           INTEGER DEFAULT 0,
    "反馈合计（当日）"    INTEGER DEFAULT 0,
    "反馈合计（至今日）"  INTEGER DEFAULT 0,
    "反馈内容"            TEXT(255) COLLATE NOCASE
);

CREATE TABLE clientTableInfo (
    "序号"      TEXT(50)  COLLATE NOCASE,
    "营销对象"  TEXT(100) COLLATE NOCASE,
    "电话1"     TEXT(30)  COLLATE NOCASE,
    "电话2"     TEXT(30)  COLLATE NOCASE,
    "传真"      TEXT(30)  COLLATE NOCASE,
    "Email"     TEXT(100) COLLATE NOCASE,
    "联系人1"   TEXT(50)  COLLATE NOCASE,
    "联系人2"   TEXT(50)  COLLATE NOCASE,
    "地址"      TEXT(100) COLLATE NOCASE,
    "邮政编码"  TEXT(20)  COLLATE NOCASE,
    "电话数"    INTEGER DEFAULT 0,
    "传真数"    INTEGER DEFAULT 0,
    "Email数"   INTEGER DEFAULT 0,
    "信函数"    INTEGER DEFAULT 0,
    "面访人数"  INTEGER DEFAULT 0,
    "参观人数"  INTEGER DEFAULT 0,
    "产品1计数" INTEGER DEFAULT 0,
    "产品2计数" INTEGER DEFAULT 0,
    "产品3计数" INTEGER DEFAULT 0,
    "产品4计数" INTEGER DEFAULT 0,
    "产品5计数" INTEGER DEFAULT 0,
    "反馈合计"  INTEGER DEFAULT 0,
    "记录号"    TEXT(50)  COLLATE NOCASE
);

CREATE TABLE productDF (
    "产品1名称" TEXT(50) COLLATE NOCASE DEFAULT '',
    "产品2名称" TEXT(50) COLLATE NOCASE DEFAULT '',
    "产品3名称" TEXT(50) COLLATE NOCASE DEFAULT '',
    "产品4名称" TEXT(50) COLLATE NOCASE DEFAULT '',
    "产品5名称" TEXT(50) COLLATE NOCASE DEFAULT ''
);

INSERT INTO productDF VALUES ('', '', '', '', '');

-- A plan's daily rows and targets are found by its number without reading every plan's.
CREATE INDEX IF NOT EXISTS "feedbackTable_序号" ON "feedbackTable" ("序号");
CREATE INDEX IF NOT EXISTS "clientTableInfo_序号" ON "clientTableInfo" ("序号");
