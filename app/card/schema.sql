-- The records database: one operation row in sbjs, and under it the card
-- data read and the monitoring data returned. Dates are "yyyy-mm-dd" text so
-- that range queries compare them; amounts REAL, counts INTEGER.
CREATE TABLE sbjs (
  id INTEGER PRIMARY KEY,
  nsrbm TEXT(16), nsrmc TEXT(200), jyrq TEXT, jylsh TEXT(16),
  jg1 INTEGER NOT NULL DEFAULT 0, jg2 INTEGER NOT NULL DEFAULT 0, jg3 INTEGER NOT NULL DEFAULT 0,
  skqsrq TEXT, skjzrq TEXT,
  je1 REAL NOT NULL DEFAULT 0, je2 REAL NOT NULL DEFAULT 0, je3 REAL NOT NULL DEFAULT 0,
  je REAL NOT NULL DEFAULT 0);
CREATE INDEX sbjs_jyrq ON sbjs (jyrq);

CREATE TABLE ef02 (
  id INTEGER PRIMARY KEY,
  skjsl TEXT(2), nsrbm TEXT(16), yyqyrq TEXT(8), yyyxrq TEXT(8), yylx TEXT(2), yybb TEXT(2),
  fci TEXT(2), dwmc TEXT(200), cbid INTEGER);
CREATE INDEX ef02_cbid ON ef02 (cbid);

CREATE TABLE ef04 (
  id INTEGER PRIMARY KEY,
  hzbz TEXT(2), skkbh TEXT(16), sjqsrq TEXT, sjjzrq TEXT,
  zcfpfs INTEGER, tpfs INTEGER, fpfs INTEGER, szsm TEXT(12),
  zcfpje1 REAL, zcfpje2 REAL, zcfpje3 REAL, zcfpje4 REAL, zcfpje5 REAL, zcfpje6 REAL,
  tpje1 REAL, tpje2 REAL, tpje3 REAL, tpje4 REAL, tpje5 REAL, tpje6 REAL,
  zcfpzje REAL, tpzje REAL, ztz TEXT(2), mac TEXT(8), sign1 TEXT(128), sign2 TEXT(128),
  cbid INTEGER, nsrmc TEXT(200));
CREATE INDEX ef04_cbid ON ef04 (cbid);
CREATE INDEX ef04_sjqsrq ON ef04 (sjqsrq);
CREATE INDEX ef04_sjjzrq ON ef04 (sjjzrq);

CREATE TABLE ef06 (
  id INTEGER PRIMARY KEY,
  skjbh TEXT(16), fpdm TEXT(20), fpqsh INTEGER, fpzzh INTEGER,
  zcfpfs INTEGER, tpfs INTEGER, fpfs INTEGER, zcfpzje REAL, tpzje REAL,
  kpqssj TEXT, kpjzsj TEXT, cbid INTEGER, nsrmc TEXT(200));
CREATE INDEX ef06_cbid ON ef06 (cbid);
CREATE INDEX ef06_kpqssj ON ef06 (kpqssj);
CREATE INDEX ef06_kpjzsj ON ef06 (kpjzsj);

CREATE TABLE ef09 (
  id INTEGER PRIMARY KEY,
  skjbh TEXT(16), kprq TEXT, zcfpfs INTEGER, tpfs INTEGER, fpfs INTEGER, szsm TEXT(12),
  zcfpje1 REAL, zcfpje2 REAL, zcfpje3 REAL, zcfpje4 REAL, zcfpje5 REAL, zcfpje6 REAL,
  tpje1 REAL, tpje2 REAL, tpje3 REAL, tpje4 REAL, tpje5 REAL, tpje6 REAL,
  sign1 TEXT(128), sign2 TEXT(128), cbid INTEGER, nsrmc TEXT(200));
CREATE INDEX ef09_cbid ON ef09 (cbid);
CREATE INDEX ef09_kprq ON ef09 (kprq);

CREATE TABLE ef01 (
  id INTEGER PRIMARY KEY,
  dat TEXT(74), cbid INTEGER, nsrmc TEXT(200));
CREATE INDEX ef01_cbid ON ef01 (cbid);
