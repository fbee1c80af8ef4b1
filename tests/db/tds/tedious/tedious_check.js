// korvane-cli serve checked by the Node.js SQL Server client tedious: queries, execSql with
// typed parameters, a procedure with output parameters, a cancelled long query, and every
// type's value. With "tls", the same over TLS 1.2 with a certificate made here (openssl).
// Usage: node tedious_check.js KORVANE_CLI [tls]
'use strict';
const { spawn, execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const assert = require('assert/strict');
let tedious;
try {
  tedious = require('tedious');
} catch (err) {
  console.error('tedious is not installed: run scripts/install-deps (it installs build/tedious)');
  process.exit(1);
}
const { Connection, Request, TYPES } = tedious;

const cli = process.argv[2];
const tls = process.argv[3] === 'tls';
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'korvane-tedious-'));
const password = 'S3cret!';
let server = null;

function stopServer() {
  if (server && server.exitCode === null) server.kill('SIGTERM');
}
process.on('exit', () => {
  stopServer();
  fs.rmSync(work, { recursive: true, force: true });
});

const script = `
CREATE TABLE Items (Id int NOT NULL PRIMARY KEY, Name nvarchar(50) NULL, Price money NULL)
GO
INSERT INTO Items VALUES (1, N'Grüße', 2.5)
INSERT INTO Items VALUES (2, N'Cake', 4)
INSERT INTO Items VALUES (3, N'Tea', NULL)
GO
CREATE TABLE AllTypes (
  c_int int NULL, c_tinyint tinyint NULL, c_smallint smallint NULL, c_bigint bigint NULL,
  c_bit bit NULL, c_decimal decimal(10,2) NULL, c_numeric numeric(18,4) NULL,
  c_money money NULL, c_smallmoney smallmoney NULL, c_float float NULL, c_real real NULL,
  c_datetime datetime NULL, c_smalldatetime smalldatetime NULL,
  c_char char(5) NULL, c_varchar varchar(20) NULL, c_nchar nchar(5) NULL,
  c_nvarchar nvarchar(20) NULL, c_text text NULL, c_ntext ntext NULL,
  c_binary binary(4) NULL, c_varbinary varbinary(10) NULL, c_image image NULL,
  c_guid uniqueidentifier NULL)
GO
INSERT INTO AllTypes VALUES (-7, 255, -300, 9000000000, 1, -12345678.91, 12345.6789,
  123456.7891, -214748.3648, 0.25, 1.5, '2024-02-29 13:45:30.123',
  '2024-02-29 13:46:00', 'ab', 'café', N'日本', N'Grüße', 'long text', N'Ünïcode',
  0x01020304, 0x0A1B, 0xFFEE, '6F9619FF-8B86-D011-B42D-00C04FC964FF')
INSERT INTO AllTypes (c_int) VALUES (NULL)
GO
CREATE PROCEDURE Totals @min int, @count int OUTPUT, @label nvarchar(20) OUTPUT AS
  SELECT Id, Name FROM Items WHERE Id >= @min ORDER BY Id
  SELECT @count = COUNT(*) FROM Items WHERE Id >= @min
  SET @label = N'from ' + @label
  RETURN 5
GO
`;

function startServer() {
  fs.writeFileSync(path.join(work, 'shop.sql'), script);
  execFileSync(cli, ['--profile', path.join(work, 'profile'), 'load', `embedded:${work}/srv`,
                     'shop', path.join(work, 'shop.sql')], { stdio: 'inherit' });
  const tlsOptions = [];
  if (tls) {
    execFileSync('openssl', ['req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-keyout',
                             path.join(work, 'key.pem'), '-out', path.join(work, 'cert.pem'),
                             '-days', '1', '-subj', '/CN=localhost'], { stdio: 'ignore' });
    tlsOptions.push('--tls-cert', path.join(work, 'cert.pem'), '--tls-key',
                    path.join(work, 'key.pem'));
  }
  server = spawn(cli, ['--profile', path.join(work, 'profile'), 'serve', `embedded:${work}/srv`,
                       '--port', '0', '--login', 'tester', '--password-stdin', ...tlsOptions],
                 { stdio: ['pipe', 'pipe', 'inherit'] });
  server.stdin.end(password + '\n');
  return new Promise((resolve, reject) => {
    let text = '';
    server.stdout.on('data', (chunk) => {
      text += chunk;
      const newline = text.indexOf('\n');
      if (newline >= 0) resolve(Number(text.slice(0, newline)));
    });
    server.on('exit', (code) => reject(new Error(`serve ended early with status ${code}`)));
  });
}

function connect(port, options = {}) {
  const connection = new Connection({
    server: '127.0.0.1',
    authentication: { type: 'default', options: { userName: 'tester', password } },
    options: { port, database: 'shop', encrypt: tls, trustServerCertificate: true,
               serverName: 'localhost', ...options },
  });
  // A check that failed leaves its connection open; stopping the server then ends it.
  connection.on('error', () => {});
  return new Promise((resolve, reject) => {
    connection.on('connect', (err) => (err ? reject(err) : resolve(connection)));
    connection.connect();
  });
}

// Runs a request through execSql; resolves with its rows (as objects), row count and outputs.
function run(connection, make) {
  return new Promise((resolve, reject) => {
    const result = { rows: [], outputs: {} };
    const request = make((err, rowCount) => {
      if (err) reject(err);
      else resolve({ ...result, rowCount });
    });
    request.on('row', (columns) => {
      const row = {};
      for (const column of columns) row[column.metadata.colName] = column.value;
      result.rows.push(row);
    });
    request.on('returnValue', (name, value) => { result.outputs[name] = value; });
    connection.execSql(request);
  });
}

const batch = (connection, sql) =>
  new Promise((resolve, reject) => {
    const rows = [];
    const request = new Request(sql, (err, rowCount) => (err ? reject(err) : resolve({ rows, rowCount })));
    request.on('row', (columns) => {
      const row = {};
      for (const column of columns) row[column.metadata.colName] = column.value;
      rows.push(row);
    });
    connection.execSqlBatch(request);
  });

const checks = [];
function check(name, body) { checks.push({ name, body }); }

check('a batch query returns its rows', async (port) => {
  const connection = await connect(port);
  const result = await batch(connection, 'select Id, Name, Price from Items order by Id');
  assert.deepEqual(result.rows.map((r) => [r.Id, r.Name, r.Price]),
                   [[1, 'Grüße', 2.5], [2, 'Cake', 4], [3, 'Tea', null]]);
  connection.close();
});

check('execSql with typed parameters', async (port) => {
  const connection = await connect(port);
  const result = await run(connection, (done) => {
    const request = new Request(
      'select Id, Name from Items where Id >= @min and Name <> @skip order by Id', done);
    request.addParameter('min', TYPES.Int, 2);
    request.addParameter('skip', TYPES.NVarChar, "Tea's");
    return request;
  });
  assert.deepEqual(result.rows, [{ Id: 2, Name: 'Cake' }, { Id: 3, Name: 'Tea' }]);
  const typed = await run(connection, (done) => {
    const request = new Request('select @d AS d, @b AS b, @f AS f, @g AS g, @s AS s', done);
    request.addParameter('d', TYPES.Decimal, 12.34, { precision: 10, scale: 2 });
    request.addParameter('b', TYPES.Bit, true);
    request.addParameter('f', TYPES.Float, 0.5);
    request.addParameter('g', TYPES.UniqueIdentifier, '6F9619FF-8B86-D011-B42D-00C04FC964FF');
    request.addParameter('s', TYPES.NVarChar, 'x'.repeat(5000));
    return request;
  });
  assert.equal(typed.rows[0].d, 12.34);
  assert.equal(Boolean(typed.rows[0].b), true);
  assert.equal(typed.rows[0].f, 0.5);
  assert.equal(String(typed.rows[0].g).toUpperCase(), '6F9619FF-8B86-D011-B42D-00C04FC964FF');
  assert.equal(typed.rows[0].s, 'x'.repeat(5000));
  const more = await run(connection, (done) => {
    const request = new Request('select @t AS t, @i AS i, @v AS v, @n AS n, @u AS u', done);
    request.addParameter('t', TYPES.DateTime, new Date(Date.UTC(2024, 1, 29, 13, 45, 30, 120)));
    request.addParameter('i', TYPES.BigInt, '9000000000');
    request.addParameter('v', TYPES.VarBinary, Buffer.from([0, 0xff, 0x10]));
    request.addParameter('n', TYPES.Int, null);
    request.addParameter('u', TYPES.NVarChar, 'Gr\u00fc\u00dfe \u{1F600}');
    return request;
  });
  assert.equal(more.rows[0].t.toISOString(), '2024-02-29T13:45:30.120Z');
  assert.equal(String(more.rows[0].i), '9000000000');
  assert.equal(Buffer.from(more.rows[0].v).toString('hex'), '00ff10');
  assert.equal(more.rows[0].n, null);
  assert.equal(more.rows[0].u, 'Gr\u00fc\u00dfe \u{1F600}');
  connection.close();
});

check('a procedure with output parameters and a return status', async (port) => {
  const connection = await connect(port);
  const result = await new Promise((resolve, reject) => {
    const outcome = { rows: [], outputs: {} };
    const request = new Request('Totals', (err) => (err ? reject(err) : resolve(outcome)));
    request.addParameter('min', TYPES.Int, 2);
    request.addOutputParameter('count', TYPES.Int, 0);
    request.addOutputParameter('label', TYPES.NVarChar, 'shop', { length: 20 });
    request.on('row', (columns) => outcome.rows.push(columns.map((c) => c.value)));
    request.on('returnValue', (name, value) => { outcome.outputs[name] = value; });
    request.on('doneProc', (rowCount, more, status) => {
      if (status !== undefined) outcome.returnStatus = status;
    });
    connection.callProcedure(request);
  });
  assert.deepEqual(result.rows, [[2, 'Cake'], [3, 'Tea']]);
  assert.deepEqual(result.outputs, { count: 2, label: 'from shop' });
  assert.equal(result.returnStatus, 5);
  connection.close();
});

check('a long query is cancelled and the connection stays usable', async (port) => {
  const connection = await connect(port, { requestTimeout: 1000 });
  await assert.rejects(
    batch(connection, 'select count(*) from Items a, Items b, Items c, Items d, Items e, ' +
                      'Items f, Items g, Items h, Items i, Items j, Items k, Items l, Items m, ' +
                      'Items n, Items o, Items p, Items q, Items r, Items s, Items t'),
    (err) => err.code === 'ETIMEOUT');
  const after = await batch(connection, 'select count(*) AS n from Items');
  assert.equal(after.rows[0].n, 3);
  connection.close();
});

check('every type comes back with its value', async (port) => {
  const connection = await connect(port);
  const result = await batch(connection, 'select * from AllTypes order by c_int desc');
  const row = result.rows[0];
  const expected = {
    c_int: -7, c_tinyint: 255, c_smallint: -300, c_bigint: '9000000000', c_bit: true,
    c_decimal: -12345678.91, c_numeric: 12345.6789, c_money: 123456.7891,
    c_smallmoney: -214748.3648, c_float: 0.25, c_real: 1.5, c_char: 'ab   ',
    c_varchar: 'café', c_nchar: '日本   ', c_nvarchar: 'Grüße', c_text: 'long text',
    c_ntext: 'Ünïcode', c_guid: '6F9619FF-8B86-D011-B42D-00C04FC964FF',
  };
  for (const [name, value] of Object.entries(expected)) {
    let got = row[name];
    if (name === 'c_guid') got = String(got).toUpperCase();
    assert.deepEqual(got, value, name);
  }
  assert.equal(row.c_datetime.toISOString(), '2024-02-29T13:45:30.123Z');
  assert.equal(row.c_smalldatetime.toISOString(), '2024-02-29T13:46:00.000Z');
  assert.equal(Buffer.from(row.c_binary).toString('hex'), '01020304');
  assert.equal(Buffer.from(row.c_varbinary).toString('hex'), '0a1b');
  assert.equal(Buffer.from(row.c_image).toString('hex'), 'ffee');
  const nulls = result.rows[1];
  for (const name of Object.keys(expected)) assert.equal(nulls[name], null, name);
  connection.close();
});

check('a wrong password fails the login as SQL Server does', async (port) => {
  const connection = new Connection({
    server: '127.0.0.1',
    authentication: { type: 'default', options: { userName: 'tester', password: 'wrong' } },
    options: { port, encrypt: tls, trustServerCertificate: true },
  });
  connection.on('error', () => {});  // the server closes the connection after the failure
  const err = await new Promise((resolve) => {
    connection.on('connect', resolve);
    connection.connect();
  });
  assert.equal(err.code, 'ELOGIN');
  assert.equal(err.message, "Login failed for user 'tester'.");
});

(async () => {
  let failed = 0;
  try {
    const port = await startServer();
    for (const { name, body } of checks) {
      try {
        await body(port);
        console.log(`ok   ${name}${tls ? ' (TLS)' : ''}`);
      } catch (err) {
        failed += 1;
        console.log(`FAIL ${name}: ${err && err.stack ? err.stack : err}`);
      }
    }
  } catch (err) {
    failed += 1;
    console.log(`FAIL setting up: ${err && err.stack ? err.stack : err}`);
  }
  stopServer();
  process.exitCode = failed ? 1 : 0;
})();
