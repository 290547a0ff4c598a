// The registry of the simulated machine, kept in registry.db (SQLite, WAL).
// Every seam call is one transaction, so several processes can share it.

#include "platform/sim/SimInternal.h"

#include "platform/SysError.h"
#include "platform/SysRegistry.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>

namespace ks::sim::detail {
namespace {

enum Root : std::int64_t { kClasses = 1, kMachine = 2, kUsers = 3, kUser = 4, kConfig = 5 };

constexpr REGSAM kWriteAccess = sys::KEY_SET_VALUE | sys::KEY_CREATE_SUB_KEY | 0x00010000 /* DELETE */ |
                                0x00040000 /* WRITE_DAC */ | 0x00080000 /* WRITE_OWNER */;
constexpr int kBusyTimeoutMs = 20000;
constexpr char kSchemaVersion[] = "1";

thread_local int t_systemAccess = 0;

const char* RootName(std::int64_t root) {
  switch (root) {
    case kClasses: return "HKEY_CLASSES_ROOT";
    case kMachine: return "HKEY_LOCAL_MACHINE";
    case kUsers: return "HKEY_USERS";
    case kUser: return "HKEY_CURRENT_USER";
    case kConfig: return "HKEY_CURRENT_CONFIG";
  }
  return "?";
}

std::map<sqlite3*, std::map<const char*, sqlite3_stmt*>>& Statements() {
  static std::map<sqlite3*, std::map<const char*, sqlite3_stmt*>> statements;
  return statements;
}

// A cached prepared statement, reset when this object goes.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    auto& cache = Statements()[db];
    auto it = cache.find(sql);
    if (it == cache.end()) {
      sqlite3_stmt* statement = nullptr;
      m_rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
      if (m_rc != SQLITE_OK) return;
      it = cache.emplace(sql, statement).first;
    }
    m_statement = it->second;
  }
  ~Statement() {
    if (m_statement) {
      sqlite3_reset(m_statement);
      sqlite3_clear_bindings(m_statement);
    }
  }
  bool Ok() const { return m_statement != nullptr; }
  int Error() const { return m_rc; }
  Statement& Bind(int index, std::int64_t value) {
    if (m_statement) sqlite3_bind_int64(m_statement, index, value);
    return *this;
  }
  Statement& Bind(int index, const std::string& value) {
    if (m_statement) sqlite3_bind_text(m_statement, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& BindBlob(int index, const void* data, size_t size) {
    if (m_statement) sqlite3_bind_blob(m_statement, index, size ? data : "", int(size), SQLITE_TRANSIENT);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error.
  int Step() {
    if (!m_statement) return m_rc ? m_rc : SQLITE_ERROR;
    m_rc = sqlite3_step(m_statement);
    return m_rc;
  }
  std::int64_t Int(int column) { return sqlite3_column_int64(m_statement, column); }
  std::string Text(int column) {
    auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? std::string(text, size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
  }
  std::string Blob(int column) {
    auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
    return data ? std::string(data, size_t(sqlite3_column_bytes(m_statement, column))) : std::string();
  }

 private:
  sqlite3_stmt* m_statement = nullptr;
  int m_rc = SQLITE_OK;
};

LSTATUS FromSqlite(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW: return sys::ERROR_SUCCESS;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return LSTATUS(sys::ERROR_REGISTRY_CORRUPT);
    case SQLITE_FULL: return LSTATUS(sys::ERROR_DISK_FULL);
    case SQLITE_READONLY:
    case SQLITE_PERM: return LSTATUS(sys::ERROR_ACCESS_DENIED);
    default: return 1016;  // ERROR_REGISTRY_IO_FAILED
  }
}

bool Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

// One transaction; rolled back unless committed.
class Transaction {
 public:
  // Inside an outer transaction (filling a new registry) it joins that one.
  Transaction(sqlite3* db, bool write) : m_db(db) {
    m_nested = sqlite3_get_autocommit(db) == 0;
    if (m_nested) {
      m_rc = SQLITE_OK;
      return;
    }
    m_rc = sqlite3_exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
    m_open = m_rc == SQLITE_OK;
  }
  ~Transaction() {
    if (m_open) Exec(m_db, "ROLLBACK");
  }
  LSTATUS Begun() const { return m_open || m_nested ? LSTATUS(0) : FromSqlite(m_rc); }
  LSTATUS Commit() {
    if (m_nested) return 0;
    m_rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (m_rc == SQLITE_OK) m_open = false;
    return FromSqlite(m_rc);
  }

 private:
  sqlite3* m_db;
  int m_rc;
  bool m_open = false;
  bool m_nested = false;
};

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct KeyObject : HandleObject {
  KeyObject() : HandleObject(HandleKind::Key) {}
  std::int64_t root = 0;
  std::vector<std::u16string> path;  // as resolved (after redirection), below the root
  std::int64_t id = 0;               // the key's row; 0 for merged HKEY_CLASSES_ROOT keys
  REGSAM access = 0;
};

struct KeyRef {
  std::int64_t root = 0;
  std::vector<std::u16string> path;
  std::int64_t id = 0;
  REGSAM access = 0;
};

bool IsPredefined(HKEY key, std::int64_t* root) {
  auto value = reinterpret_cast<std::uintptr_t>(key);
  switch (value) {
    case 0x80000000: *root = kClasses; return true;
    case 0x80000001: *root = kUser; return true;
    case 0x80000002: *root = kMachine; return true;
    case 0x80000003: *root = kUsers; return true;
    case 0x80000005: *root = kConfig; return true;
  }
  return false;
}

LSTATUS ResolveHandle(HKEY key, KeyRef* ref) {
  std::int64_t root = 0;
  if (IsPredefined(key, &root)) {
    ref->root = root;
    ref->id = root == kClasses ? 0 : root;
    ref->access = sys::KEY_ALL_ACCESS;
    return 0;
  }
  auto* object = static_cast<KeyObject*>(FindHandle(key, HandleKind::Key));
  if (!object) return LSTATUS(sys::ERROR_INVALID_HANDLE);
  ref->root = object->root;
  ref->path = object->path;
  ref->id = object->id;
  ref->access = object->access;
  return 0;
}

std::string FoldedUtf8(const std::u16string& name) { return Utf8(Fold(name)); }

LSTATUS SplitSubKey(const sys::WCHAR* subKey, std::vector<std::u16string>* parts) {
  if (!subKey) return 0;
  std::u16string text = subKey;
  if (!text.empty() && text[0] == u'\\') return LSTATUS(sys::ERROR_BAD_PATHNAME);
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != u'\\') continue;
    if (i > start) {
      if (i - start > 255) return LSTATUS(sys::ERROR_INVALID_PARAMETER);
      parts->push_back(text.substr(start, i - start));
    }
    start = i + 1;
  }
  return 0;
}

bool IsRedirectedClass(const std::u16string& name) {
  for (auto redirected : {u"CLSID", u"Interface", u"TypeLib", u"AppID", u"DirectShow", u"Media Type",
                          u"MediaFoundation"})
    if (EqualFolded(name, redirected)) return true;
  return false;
}

// The 32-bit view of a 64-bit machine's registry: HKLM\Software and the COM
// class keys live under Wow6432Node.
void Redirect(std::int64_t root, std::vector<std::u16string>* path, REGSAM sam) {
  MachineState* machine = Machine();
  if (!machine->identity.is64Bit) return;
  bool view32 = (sam & sys::KEY_WOW64_32KEY) || (!machine->process64 && !(sam & sys::KEY_WOW64_64KEY));
  if (!view32) return;
  auto& p = *path;
  auto node = [&](size_t at) {
    if (p.size() > at && !EqualFolded(p[at], u"Wow6432Node")) p.insert(p.begin() + long(at), u"Wow6432Node");
  };
  auto classes = [&](size_t at) {
    if (p.size() > at && IsRedirectedClass(p[at])) node(at);
  };
  if (root == kMachine && p.size() >= 2 && EqualFolded(p[0], u"SOFTWARE")) {
    if (EqualFolded(p[1], u"Classes"))
      classes(2);
    else
      node(1);
  } else if (root == kUser && p.size() >= 3 && EqualFolded(p[0], u"Software") && EqualFolded(p[1], u"Classes")) {
    classes(2);
  } else if (root == kClasses) {
    classes(0);
  }
}

// Finds (or creates) the key below parent; *id 0 when missing.
LSTATUS Walk(sqlite3* db, std::int64_t parent, const std::vector<std::u16string>& path, bool create,
             std::int64_t* id, bool* created, std::vector<std::u16string>* storedNames = nullptr) {
  if (created) *created = false;
  std::int64_t current = parent;
  for (auto& name : path) {
    Statement find(db, "SELECT id, name FROM keys WHERE parent = ?1 AND folded = ?2");
    find.Bind(1, current).Bind(2, FoldedUtf8(name));
    int rc = find.Step();
    if (rc == SQLITE_ROW) {
      current = find.Int(0);
      if (storedNames) storedNames->push_back(Utf16(find.Text(1)));
      continue;
    }
    if (rc != SQLITE_DONE) return FromSqlite(rc);
    if (!create) {
      *id = 0;
      return 0;
    }
    Statement insert(db, "INSERT INTO keys(parent, name, folded, written) VALUES(?1, ?2, ?3, ?4)");
    insert.Bind(1, current).Bind(2, Utf8(name)).Bind(3, FoldedUtf8(name)).Bind(4, Now());
    rc = insert.Step();
    if (rc != SQLITE_DONE) return FromSqlite(rc);
    current = sqlite3_last_insert_rowid(db);
    if (storedNames) storedNames->push_back(name);
    if (created) *created = true;
  }
  *id = current;
  return 0;
}

bool KeyExists(sqlite3* db, std::int64_t id) {
  Statement find(db, "SELECT 1 FROM keys WHERE id = ?1");
  find.Bind(1, id);
  return find.Step() == SQLITE_ROW;
}

std::vector<std::u16string> ClassesPath(const std::vector<std::u16string>& path, bool user) {
  std::vector<std::u16string> full{user ? u"Software" : u"SOFTWARE", u"Classes"};
  full.insert(full.end(), path.begin(), path.end());
  return full;
}

// The real key behind a reference: for HKEY_CLASSES_ROOT the user's key when
// it exists, else the machine's.
LSTATUS Effective(sqlite3* db, const KeyRef& ref, std::int64_t* root, std::int64_t* id) {
  if (ref.root != kClasses) {
    *root = ref.root;
    *id = ref.id;
    if (ref.id > kConfig && !KeyExists(db, ref.id)) return LSTATUS(sys::ERROR_KEY_DELETED);
    return 0;
  }
  for (bool user : {true, false}) {
    std::int64_t found = 0;
    LSTATUS status = Walk(db, user ? kUser : kMachine, ClassesPath(ref.path, user), false, &found, nullptr);
    if (status) return status;
    if (found) {
      *root = user ? kUser : kMachine;
      *id = found;
      return 0;
    }
  }
  return LSTATUS(ref.path.empty() ? sys::ERROR_FILE_NOT_FOUND : sys::ERROR_KEY_DELETED);
}

bool WriteDenied(std::int64_t root) {
  return root == kMachine && t_systemAccess == 0 && !Machine()->identity.administrator;
}

sqlite3* Database() {
  MachineState* machine = Machine();
  return machine ? machine->registry : nullptr;
}

bool Faulted(DWORD* error) { return FaultHit(FaultKind::RegistryWrite, error); }

HKEY NewHandle(std::int64_t root, std::vector<std::u16string> path, std::int64_t id, REGSAM access) {
  auto object = std::make_unique<KeyObject>();
  object->root = root;
  object->id = id;
  object->access = access;
  std::u16string text;
  for (auto& part : path) text += u"\\" + part;
  object->description = RootName(root) + Utf8(text);
  object->path = std::move(path);
  return static_cast<HKEY>(AddHandle(std::move(object)));
}

LSTATUS OpenOrCreate(HKEY key, const sys::WCHAR* subKey, REGSAM sam, bool create, HKEY* result, DWORD* disposition) {
  std::lock_guard lock(Lock());
  if (!result) return LSTATUS(sys::ERROR_INVALID_PARAMETER);
  *result = nullptr;
  sqlite3* db = Database();
  if (!db) return LSTATUS(sys::ERROR_NOT_READY);
  KeyRef ref;
  if (LSTATUS status = ResolveHandle(key, &ref)) return status;
  std::vector<std::u16string> path = ref.path;
  if (LSTATUS status = SplitSubKey(subKey, &path)) return status;
  Redirect(ref.root, &path, sam);
  if (create) {
    DWORD error = 0;
    if (Faulted(&error)) return LSTATUS(error);
    if (!(ref.access & sys::KEY_CREATE_SUB_KEY)) return LSTATUS(sys::ERROR_ACCESS_DENIED);
  }
  Transaction transaction(db, create);
  if (LSTATUS status = transaction.Begun()) return status;
  std::int64_t id = 0;
  bool created = false;
  std::int64_t root = ref.root;
  std::vector<std::u16string> stored;
  if (ref.root == kClasses) {
    // Open the user's class key if there is one, else the machine's; new keys go to the machine's.
    for (bool user : {true, false}) {
      stored.clear();
      if (LSTATUS status = Walk(db, user ? kUser : kMachine, ClassesPath(path, user), false, &id, nullptr, &stored))
        return status;
      if (id) {
        root = user ? kUser : kMachine;
        break;
      }
    }
    if (!id && create) {
      root = kMachine;
      if (WriteDenied(root)) return LSTATUS(sys::ERROR_ACCESS_DENIED);
      stored.clear();
      if (LSTATUS status = Walk(db, kMachine, ClassesPath(path, false), true, &id, &created, &stored)) return status;
    }
    if (id) stored.erase(stored.begin(), stored.begin() + 2);
  } else {
    if (ref.id > kConfig && !KeyExists(db, ref.id)) return LSTATUS(sys::ERROR_KEY_DELETED);
    if (ref.root == kMachine && (create || (sam & kWriteAccess)) && WriteDenied(kMachine))
      return LSTATUS(sys::ERROR_ACCESS_DENIED);
    if (LSTATUS status = Walk(db, ref.root, path, create, &id, &created, &stored)) return status;
  }
  if (!id) return LSTATUS(sys::ERROR_FILE_NOT_FOUND);
  if (root == kMachine && (sam & kWriteAccess) && WriteDenied(kMachine)) return LSTATUS(sys::ERROR_ACCESS_DENIED);
  if (created) {
    if (LSTATUS status = transaction.Commit()) return status;
  }
  if (disposition) *disposition = created ? sys::REG_CREATED_NEW_KEY : sys::REG_OPENED_EXISTING_KEY;
  REGSAM access = sam & ~(sys::KEY_WOW64_32KEY | sys::KEY_WOW64_64KEY);
  if (access == 0) access = sys::KEY_READ;
  if (ref.root == kClasses)
    *result = NewHandle(kClasses, stored, 0, access);
  else
    *result = NewHandle(ref.root, stored, id, access);
  return 0;
}

LSTATUS CopyData(const std::string& data, DWORD* type, std::int64_t storedType, BYTE* out, DWORD* size) {
  if (type) *type = DWORD(storedType);
  if (out && !size) return LSTATUS(sys::ERROR_INVALID_PARAMETER);
  if (!size) return 0;
  DWORD needed = DWORD(data.size());
  if (out && *size < needed) {
    *size = needed;
    return LSTATUS(sys::ERROR_MORE_DATA);
  }
  if (out) std::memcpy(out, data.data(), data.size());
  *size = needed;
  return 0;
}

LSTATUS CopyName(const std::u16string& name, sys::WCHAR* out, DWORD* length) {
  if (!out || !length) return LSTATUS(sys::ERROR_INVALID_PARAMETER);
  if (*length < name.size() + 1) return LSTATUS(sys::ERROR_MORE_DATA);
  std::copy(name.begin(), name.end(), out);
  out[name.size()] = 0;
  *length = DWORD(name.size());
  return 0;
}

LSTATUS ParseFullPath(const std::u16string& keyPath, std::int64_t* root, std::vector<std::u16string>* path) {
  size_t slash = keyPath.find(u'\\');
  std::u16string head = Fold(keyPath.substr(0, slash));
  if (head == u"HKEY_LOCAL_MACHINE" || head == u"HKLM") *root = kMachine;
  else if (head == u"HKEY_CURRENT_USER" || head == u"HKCU") *root = kUser;
  else if (head == u"HKEY_CLASSES_ROOT" || head == u"HKCR") *root = kClasses;
  else if (head == u"HKEY_USERS" || head == u"HKU") *root = kUsers;
  else if (head == u"HKEY_CURRENT_CONFIG" || head == u"HKCC") *root = kConfig;
  else return LSTATUS(sys::ERROR_FILE_NOT_FOUND);
  if (slash == std::u16string::npos) return 0;
  std::u16string rest = keyPath.substr(slash + 1);
  return SplitSubKey(rest.c_str(), path);
}

}  // namespace

bool BeginBatch() { return Database() && Exec(Database(), "BEGIN IMMEDIATE"); }
bool EndBatch(bool commit) { return Database() && Exec(Database(), commit ? "COMMIT" : "ROLLBACK"); }

SystemAccess::SystemAccess() { ++t_systemAccess; }
SystemAccess::~SystemAccess() { --t_systemAccess; }

bool OpenRegistry(MachineState* machine, bool create, std::string* error) {
  std::string path = machine->folder + "/registry.db";
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    *error = "cannot open the registry " + path + ": " + (db ? sqlite3_errmsg(db) : "out of memory");
    sqlite3_close(db);
    return false;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db, 0);
  // A new registry is filled in one go and is worthless if that fails, so it
  // skips syncing until it is whole.
  bool ok = Exec(db, "PRAGMA journal_mode=WAL") && Exec(db, create ? "PRAGMA synchronous=OFF" : "PRAGMA synchronous=NORMAL");
  if (ok && create) {
    ok = Exec(db,
              "BEGIN;"
              "CREATE TABLE meta(name TEXT PRIMARY KEY, value TEXT);"
              "CREATE TABLE keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, name TEXT NOT NULL,"
              " folded TEXT NOT NULL, written INTEGER NOT NULL, UNIQUE(parent, folded));"
              "CREATE TABLE vals(id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name TEXT NOT NULL,"
              " folded TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, folded));"
              "INSERT INTO keys VALUES(1, 0, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT', 0),"
              " (2, 0, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE', 0), (3, 0, 'HKEY_USERS', 'HKEY_USERS', 0),"
              " (4, 0, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER', 0),"
              " (5, 0, 'HKEY_CURRENT_CONFIG', 'HKEY_CURRENT_CONFIG', 0);"
              "INSERT INTO meta VALUES('format', '1');"
              "COMMIT;");
  }
  if (ok) {
    Statement check(db, "SELECT value FROM meta WHERE name = 'format'");
    ok = check.Step() == SQLITE_ROW && check.Text(0) == kSchemaVersion;
  }
  if (!ok) {
    *error = "registry " + path + " is damaged or not a registry: " + sqlite3_errmsg(db);
    for (auto& [sql, statement] : Statements()[db]) sqlite3_finalize(statement);
    Statements().erase(db);
    sqlite3_close(db);
    return false;
  }
  machine->registry = db;
  return true;
}

void CloseRegistry(MachineState* machine) {
  if (!machine->registry) return;
  for (auto& [sql, statement] : Statements()[machine->registry]) sqlite3_finalize(statement);
  Statements().erase(machine->registry);
  sqlite3_close(machine->registry);
  machine->registry = nullptr;
}

bool ReadMultiString(const std::u16string& keyPath, const std::u16string& name, std::vector<std::u16string>* items) {
  std::lock_guard lock(Lock());
  items->clear();
  std::int64_t root;
  std::vector<std::u16string> path;
  if (ParseFullPath(keyPath, &root, &path)) return false;
  std::int64_t id = 0;
  sqlite3* db = Database();
  if (!db || Walk(db, root, path, false, &id, nullptr) || !id) return false;
  Statement read(db, "SELECT data FROM vals WHERE key = ?1 AND folded = ?2");
  read.Bind(1, id).Bind(2, FoldedUtf8(name));
  if (read.Step() != SQLITE_ROW) return false;
  std::string data = read.Blob(0);
  std::u16string text(data.size() / 2, u'\0');
  std::memcpy(text.data(), data.data(), text.size() * 2);
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != 0) continue;
    if (i == start && (i + 1 >= text.size() || text[i + 1] == 0)) {
      // An empty item is a deletion target only inside a pair; the list ends
      // at the double terminator.
      if (items->size() % 2 == 1) {
        items->push_back(u"");
        start = i + 1;
        continue;
      }
      break;
    }
    items->push_back(text.substr(start, i - start));
    start = i + 1;
  }
  return true;
}

bool AppendMultiString(const std::u16string& keyPath, const std::u16string& name,
                       const std::vector<std::u16string>& items) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  std::int64_t root;
  std::vector<std::u16string> path;
  if (!db || ParseFullPath(keyPath, &root, &path)) return Fail(sys::ERROR_INVALID_PARAMETER);
  DWORD error = 0;
  if (Faulted(&error)) return Fail(error);
  Transaction transaction(db, true);
  if (LSTATUS status = transaction.Begun()) return Fail(DWORD(status));
  std::int64_t id = 0;
  if (LSTATUS status = Walk(db, root, path, true, &id, nullptr)) return Fail(DWORD(status));
  std::string data;
  {
    Statement read(db, "SELECT data FROM vals WHERE key = ?1 AND folded = ?2");
    read.Bind(1, id).Bind(2, FoldedUtf8(name));
    if (read.Step() == SQLITE_ROW) data = read.Blob(0);
  }
  // Drop the list's final terminator, then append items, each terminated.
  if (data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0) data.resize(data.size() - 2);
  for (auto& item : items) {
    data.append(reinterpret_cast<const char*>(item.data()), item.size() * 2);
    data.append(2, '\0');
  }
  data.append(2, '\0');
  Statement write(db,
                  "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                  " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
  write.Bind(1, id).Bind(2, Utf8(name)).Bind(3, FoldedUtf8(name)).Bind(4, sys::REG_MULTI_SZ);
  write.BindBlob(5, data.data(), data.size());
  if (int rc = write.Step(); rc != SQLITE_DONE) return Fail(DWORD(FromSqlite(rc)));
  if (LSTATUS status = transaction.Commit()) return Fail(DWORD(status));
  return true;
}

bool ListRegistry(const std::u16string& keyPath, std::vector<RegistryItem>* items, std::string* error) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  std::int64_t root;
  std::vector<std::u16string> path;
  if (!db || ParseFullPath(keyPath, &root, &path)) {
    *error = "no such key: " + Utf8(keyPath);
    return false;
  }
  std::int64_t id = 0;
  std::vector<std::u16string> stored;
  if (root == kClasses) {
    root = kMachine;
    path = ClassesPath(path, false);
  }
  if (LSTATUS status = Walk(db, root, path, false, &id, nullptr, &stored); status || !id) {
    *error = status ? "registry damaged (error " + std::to_string(status) + ")" : "no such key: " + Utf8(keyPath);
    return false;
  }
  std::u16string prefix = Utf16(RootName(root));
  for (auto& part : stored) prefix += u"\\" + part;
  Transaction transaction(db, false);
  std::vector<std::pair<std::int64_t, std::u16string>> stack{{id, prefix}};
  while (!stack.empty()) {
    auto [current, name] = stack.back();
    stack.pop_back();
    items->push_back({name, true, {}, 0, {}});
    Statement values(db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id");
    values.Bind(1, current);
    int rc;
    while ((rc = values.Step()) == SQLITE_ROW)
      items->push_back({name, false, Utf16(values.Text(0)), DWORD(values.Int(1)), values.Blob(2)});
    Statement children(db, "SELECT id, name FROM keys WHERE parent = ?1 ORDER BY folded DESC");
    children.Bind(1, current);
    while ((rc = children.Step()) == SQLITE_ROW) stack.emplace_back(children.Int(0), name + u"\\" + Utf16(children.Text(1)));
    if (rc != SQLITE_DONE) {
      *error = "registry damaged: " + std::string(sqlite3_errstr(rc));
      return false;
    }
  }
  return true;
}

}  // namespace ks::sim::detail

namespace ks::sys {
using namespace ks::sim::detail;

LSTATUS RegOpenKeyEx(HKEY key, const WCHAR* subKey, DWORD, REGSAM desired, HKEY* result) {
  return OpenOrCreate(key, subKey, desired, false, result, nullptr);
}

LSTATUS RegCreateKeyEx(HKEY key, const WCHAR* subKey, DWORD, WCHAR*, DWORD, REGSAM desired, SECURITY_ATTRIBUTES*,
                       HKEY* result, DWORD* disposition) {
  if (!subKey) return LSTATUS(ERROR_INVALID_PARAMETER);
  return OpenOrCreate(key, subKey, desired, true, result, disposition);
}

LSTATUS RegCloseKey(HKEY key) {
  std::lock_guard lock(Lock());
  std::int64_t root;
  if (IsPredefined(key, &root)) return 0;
  if (!FindHandle(key, HandleKind::Key)) {
    RemoveHandle(key);  // records a second close
    return LSTATUS(ERROR_INVALID_HANDLE);
  }
  RemoveHandle(key);
  return 0;
}

LSTATUS RegQueryValueEx(HKEY key, const WCHAR* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  if (!db) return LSTATUS(ERROR_NOT_READY);
  KeyRef ref;
  if (LSTATUS status = ResolveHandle(key, &ref)) return status;
  if (!(ref.access & KEY_QUERY_VALUE)) return LSTATUS(ERROR_ACCESS_DENIED);
  Transaction transaction(db, false);
  if (LSTATUS status = transaction.Begun()) return status;
  std::int64_t root, id;
  if (LSTATUS status = Effective(db, ref, &root, &id)) return status;
  Statement read(db, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
  read.Bind(1, id).Bind(2, FoldedUtf8(valueName ? valueName : u""));
  int rc = read.Step();
  if (rc == SQLITE_DONE) return LSTATUS(ERROR_FILE_NOT_FOUND);
  if (rc != SQLITE_ROW) return FromSqlite(rc);
  return CopyData(read.Blob(1), type, read.Int(0), data, dataSize);
}

LSTATUS RegSetValueEx(HKEY key, const WCHAR* valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  if (!db) return LSTATUS(ERROR_NOT_READY);
  KeyRef ref;
  if (LSTATUS status = ResolveHandle(key, &ref)) return status;
  if (!data && dataSize) return LSTATUS(ERROR_NOACCESS);
  DWORD error = 0;
  if (Faulted(&error)) return LSTATUS(error);
  if (!(ref.access & KEY_SET_VALUE)) return LSTATUS(ERROR_ACCESS_DENIED);
  Transaction transaction(db, true);
  if (LSTATUS status = transaction.Begun()) return status;
  std::int64_t root, id;
  if (LSTATUS status = Effective(db, ref, &root, &id)) return status;
  if (WriteDenied(root)) return LSTATUS(ERROR_ACCESS_DENIED);
  std::u16string name = valueName ? valueName : u"";
  Statement write(db,
                  "INSERT INTO vals(key, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                  " ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
  write.Bind(1, id).Bind(2, Utf8(name)).Bind(3, FoldedUtf8(name)).Bind(4, type).BindBlob(5, data, dataSize);
  if (int rc = write.Step(); rc != SQLITE_DONE) return FromSqlite(rc);
  Statement touch(db, "UPDATE keys SET written = ?2 WHERE id = ?1");
  touch.Bind(1, id).Bind(2, Now()).Step();
  return transaction.Commit();
}

LSTATUS RegDeleteValue(HKEY key, const WCHAR* valueName) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  if (!db) return LSTATUS(ERROR_NOT_READY);
  KeyRef ref;
  if (LSTATUS status = ResolveHandle(key, &ref)) return status;
  DWORD error = 0;
  if (Faulted(&error)) return LSTATUS(error);
  if (!(ref.access & KEY_SET_VALUE)) return LSTATUS(ERROR_ACCESS_DENIED);
  Transaction transaction(db, true);
  if (LSTATUS status = transaction.Begun()) return status;
  std::int64_t root, id;
  if (LSTATUS status = Effective(db, ref, &root, &id)) return status;
  if (WriteDenied(root)) return LSTATUS(ERROR_ACCESS_DENIED);
  Statement erase(db, "DELETE FROM vals WHERE key = ?1 AND folded = ?2");
  erase.Bind(1, id).Bind(2, FoldedUtf8(valueName ? valueName : u""));
  if (int rc = erase.Step(); rc != SQLITE_DONE) return FromSqlite(rc);
  if (sqlite3_changes(db) == 0) return LSTATUS(ERROR_FILE_NOT_FOUND);
  return transaction.Commit();
}

LSTATUS RegDeleteKeyEx(HKEY key, const WCHAR* subKey, REGSAM desired, DWORD) {
  std::lock_guard lock(Lock());
  if (!subKey) return LSTATUS(ERROR_INVALID_PARAMETER);
  HKEY target = nullptr;
  if (LSTATUS status = OpenOrCreate(key, subKey, desired | KEY_READ, false, &target, nullptr)) return status;
  KeyRef ref;
  ResolveHandle(target, &ref);
  RegCloseKey(target);
  sqlite3* db = Database();
  DWORD error = 0;
  if (Faulted(&error)) return LSTATUS(error);
  Transaction transaction(db, true);
  if (LSTATUS status = transaction.Begun()) return status;
  std::int64_t root, id;
  if (LSTATUS status = Effective(db, ref, &root, &id)) return status;
  if (WriteDenied(root) || id <= kConfig) return LSTATUS(ERROR_ACCESS_DENIED);
  {
    Statement children(db, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    children.Bind(1, id);
    int rc = children.Step();
    if (rc == SQLITE_ROW) return LSTATUS(ERROR_ACCESS_DENIED);  // Windows refuses keys with subkeys
    if (rc != SQLITE_DONE) return FromSqlite(rc);
  }
  Statement values(db, "DELETE FROM vals WHERE key = ?1");
  values.Bind(1, id);
  if (int rc = values.Step(); rc != SQLITE_DONE) return FromSqlite(rc);
  Statement erase(db, "DELETE FROM keys WHERE id = ?1");
  erase.Bind(1, id);
  if (int rc = erase.Step(); rc != SQLITE_DONE) return FromSqlite(rc);
  return transaction.Commit();
}

LSTATUS RegDeleteKey(HKEY key, const WCHAR* subKey) { return RegDeleteKeyEx(key, subKey, 0, 0); }

namespace {
// Subkey names of a reference, in enumeration order (merged for HKEY_CLASSES_ROOT).
LSTATUS SubKeyNames(sqlite3* db, const KeyRef& ref, std::vector<std::u16string>* names) {
  std::vector<std::pair<std::int64_t, std::int64_t>> sources;  // (root, id)
  if (ref.root == kClasses) {
    for (bool user : {true, false}) {
      std::int64_t id = 0;
      if (LSTATUS status = Walk(db, user ? kUser : kMachine, ClassesPath(ref.path, user), false, &id, nullptr))
        return status;
      if (id) sources.emplace_back(user ? kUser : kMachine, id);
    }
    if (sources.empty()) return LSTATUS(ERROR_KEY_DELETED);
  } else {
    std::int64_t root, id;
    if (LSTATUS status = Effective(db, ref, &root, &id)) return status;
    sources.emplace_back(root, id);
  }
  std::map<std::u16string, std::u16string> merged;
  for (auto& [root, id] : sources) {
    Statement list(db, "SELECT name FROM keys WHERE parent = ?1");
    list.Bind(1, id);
    int rc;
    while ((rc = list.Step()) == SQLITE_ROW) {
      std::u16string name = Utf16(list.Text(0));
      merged.emplace(Fold(name), name);
    }
    if (rc != SQLITE_DONE) return FromSqlite(rc);
  }
  for (auto& [folded, name] : merged) names->push_back(name);
  return 0;
}
}  // namespace

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, WCHAR* name, DWORD* nameLength, DWORD*, WCHAR*, DWORD* classLength,
                     FILETIME* lastWriteTime) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  if (!db) return LSTATUS(ERROR_NOT_READY);
  KeyRef ref;
  if (LSTATUS status = ResolveHandle(key, &ref)) return status;
  if (!(ref.access & KEY_ENUMERATE_SUB_KEYS)) return LSTATUS(ERROR_ACCESS_DENIED);
  Transaction transaction(db, false);
  if (LSTATUS status = transaction.Begun()) return status;
  std::vector<std::u16string> names;
  if (LSTATUS status = SubKeyNames(db, ref, &names)) return status;
  if (index >= names.size()) return LSTATUS(ERROR_NO_MORE_ITEMS);
  if (classLength) *classLength = 0;
  if (lastWriteTime) *lastWriteTime = {};
  return CopyName(names[index], name, nameLength);
}

LSTATUS RegEnumValue(HKEY key, DWORD index, WCHAR* valueName, DWORD* valueNameLength, DWORD*, DWORD* type, BYTE* data,
                     DWORD* dataSize) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  if (!db) return LSTATUS(ERROR_NOT_READY);
  KeyRef ref;
  if (LSTATUS status = ResolveHandle(key, &ref)) return status;
  if (!(ref.access & KEY_QUERY_VALUE)) return LSTATUS(ERROR_ACCESS_DENIED);
  Transaction transaction(db, false);
  if (LSTATUS status = transaction.Begun()) return status;
  std::int64_t root, id;
  if (LSTATUS status = Effective(db, ref, &root, &id)) return status;
  Statement read(db, "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2");
  read.Bind(1, id).Bind(2, index);
  int rc = read.Step();
  if (rc == SQLITE_DONE) return LSTATUS(ERROR_NO_MORE_ITEMS);
  if (rc != SQLITE_ROW) return FromSqlite(rc);
  if (LSTATUS status = CopyName(Utf16(read.Text(0)), valueName, valueNameLength)) return status;
  return CopyData(read.Blob(2), type, read.Int(1), data, dataSize);
}

LSTATUS RegQueryInfoKey(HKEY key, WCHAR*, DWORD* classLength, DWORD*, DWORD* subKeys, DWORD* maxSubKeyLength,
                        DWORD* maxClassLength, DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                        DWORD*, FILETIME* lastWriteTime) {
  std::lock_guard lock(Lock());
  sqlite3* db = Database();
  if (!db) return LSTATUS(ERROR_NOT_READY);
  KeyRef ref;
  if (LSTATUS status = ResolveHandle(key, &ref)) return status;
  Transaction transaction(db, false);
  if (LSTATUS status = transaction.Begun()) return status;
  std::vector<std::u16string> names;
  if (LSTATUS status = SubKeyNames(db, ref, &names)) return status;
  std::int64_t root, id;
  if (LSTATUS status = Effective(db, ref, &root, &id)) return status;
  DWORD longest = 0;
  for (auto& name : names) longest = std::max(longest, DWORD(name.size()));
  if (classLength) *classLength = 0;
  if (maxClassLength) *maxClassLength = 0;
  if (subKeys) *subKeys = DWORD(names.size());
  if (maxSubKeyLength) *maxSubKeyLength = longest;
  Statement read(db, "SELECT name, length(data) FROM vals WHERE key = ?1");
  read.Bind(1, id);
  DWORD count = 0, longestName = 0, longestData = 0;
  while (read.Step() == SQLITE_ROW) {
    ++count;
    longestName = std::max(longestName, DWORD(Utf16(read.Text(0)).size()));
    longestData = std::max(longestData, DWORD(read.Int(1)));
  }
  if (values) *values = count;
  if (maxValueNameLength) *maxValueNameLength = longestName;
  if (maxValueLength) *maxValueLength = longestData;
  if (lastWriteTime) {
    Statement written(db, "SELECT written FROM keys WHERE id = ?1");
    written.Bind(1, id);
    std::uint64_t ticks = 0;
    if (written.Step() == SQLITE_ROW) ticks = std::uint64_t(written.Int(0)) / 100 + 116444736000000000ull;
    *lastWriteTime = {DWORD(ticks), DWORD(ticks >> 32)};
  }
  return 0;
}

}  // namespace ks::sys
