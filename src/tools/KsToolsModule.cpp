#include "tools/KsToolsModule.h"

#include "config/KsXmlDocument.h"
#include "foundation/KsHandle.h"
#include "foundation/KsTextService.h"
#include "platform/SysError.h"
#include "platform/SysFile.h"
#include "platform/SysModule.h"
#include "platform/SysRegistry.h"
#include "tools/KsToolsRegistryKey.h"

namespace {

constexpr KsChar kTag[] = u"KsTools";
constexpr KsChar kPropertiesStore[] = u"Properties";

void AddressInsideModule() {}

// The folder of the file this code was loaded from.
KsString ModuleFolder() {
  ks::sys::HMODULE module = nullptr;
  if (!ks::sys::GetModuleHandleEx(
          ks::sys::GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | ks::sys::GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<const ks::sys::WCHAR*>(reinterpret_cast<const void*>(&AddressInsideModule)), &module)) {
    module = nullptr;  // linked into a program: the program's folder
  }
  ks::sys::WCHAR path[ks::sys::MAX_PATH] = {};
  const ks::sys::DWORD length = ks::sys::GetModuleFileName(module, path, ks::sys::MAX_PATH);
  KsString folder(path, static_cast<int>(length < ks::sys::MAX_PATH ? length : 0));
  folder = folder.Left(folder.ReverseFindChar(u'\\') + 1);
  return folder;
}

}  // namespace

KsToolsModule::KsToolsModule() = default;

KsToolsModule::~KsToolsModule() {
  // Unloaded without Shutdown: the stores' handles are left to the process.
  for (auto& [name, store] : m_stores) {
    store->m_key.Release();
    delete store;
  }
}

KsToolsModule& KsToolsModule::Instance() {
  static KsToolsModule module;
  return module;
}

const KsString& KsToolsModule::GetFolder() {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (m_folder.IsEmpty()) m_folder = ModuleFolder();
  return m_folder;
}

bool KsToolsModule::Initialize(int flags, ks::sys::HINSTANCE) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  m_folder.Empty();
  GetFolder();
  m_log.Open(u"");
  SetTextService(&m_text);
  m_initialized = true;
  KsLogFormat(kKsLogInfo, kTag, u"Initialize (flags %d) from %s", flags, m_folder.Chars());
  return true;
}

void KsToolsModule::Shutdown(ks::sys::HINSTANCE) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  KsLog(kKsLogInfo, kTag, u"Shutdown");
  m_locks.ReleaseAll();
  m_language.Clear();
  CloseStores();
  m_product.reset();
  SetTextService(nullptr);
  m_initialized = false;
}

void KsToolsModule::CloseStores() {
  for (auto& [name, store] : m_stores) delete store;
  m_stores.clear();
  m_storesRoot.Empty();
}

void KsToolsModule::OnProductInfoLoaded(int) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (m_product == nullptr || !m_product->IsLoaded()) return;
  // A product reloaded under another name has another settings key; stores
  // handed out for the same key stay valid.
  if (m_product->GetSettingsRoot().CompareNoCase(m_storesRoot) != 0) CloseStores();
  m_storesRoot = m_product->GetSettingsRoot();
  IKsSettingsStore* properties = GetSettingsStore(kPropertiesStore);
  if (properties != nullptr) m_ui.SetScalePercent(static_cast<int>(properties->ReadNumber(u"Interface Scale", 100)));
  m_language.Load(GetFolder(), m_product->GetText(u"/*/Product/DefaultLanguage", u"English"), properties,
                  &m_messages);
}

IKsProductInfo* KsToolsModule::GetProductInfo(bool create) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (m_product == nullptr && create) m_product = std::make_unique<KsProductInformation>(GetFolder());
  if (m_product == nullptr || (!create && !m_product->IsLoaded())) return nullptr;
  return m_product.get();
}

IKsSettingsStore* KsToolsModule::GetSettingsStore(const KsChar* name) {
  std::lock_guard<std::recursive_mutex> lock(m_mutex);
  if (name == nullptr || *name == 0) return nullptr;
  if (m_product == nullptr || !m_product->IsLoaded()) {
    KsLogFormat(kKsLogWarning, kTag, u"Settings store %s asked for before the product information", name);
    return nullptr;
  }
  std::u16string key(KsString(name).View());
  for (auto& c : key) c = KsToolsTextService::Fold(c);
  if (auto found = m_stores.find(key); found != m_stores.end()) return found->second;
  if (m_product->GetSettingsRoot().CompareNoCase(m_storesRoot) != 0) CloseStores();
  m_storesRoot = m_product->GetSettingsRoot();
  KsToolsRegistryKey* store = KsToolsRegistryKey::Open(ks::sys::HKEY_CURRENT_USER, m_storesRoot + u"\\" + name, false);
  if (store != nullptr) m_stores[key] = store;
  return store;
}

IKsRegistryKey* KsToolsModule::OpenRegistryKey(ks::sys::HKEY root, const KsChar* path) {
  return KsToolsRegistryKey::Open(root, path, true);
}

IKsCompressionService* KsToolsModule::GetCompressionService() {
#if KS_TOOLS_HAVE_ZLIB
  return &m_compression;
#else
  KsLog(kKsLogWarning, kTag, u"No compression service: this build has no zlib");
  return nullptr;
#endif
}

IKsArchiveService* KsToolsModule::GetArchiveService() {
#if KS_TOOLS_HAVE_MINIZIP
  return &m_archive;
#else
  KsLog(kKsLogWarning, kTag, u"No archive service: this build has no zip library");
  return nullptr;
#endif
}

// Settings files: "<store>.xml" in the property-map form (root "XMLPH"), each
// <Item Name="value name">text</Item> written as a text value of the store
// named by the root's "store" attribute, else by the file's base name; an
// item with type="number" is written as a number. Other files are left alone.
bool KsToolsModule::ImportSettings(int, const KsChar* folder) {
  KsString base(folder);
  if (!base.IsEmpty() && !base.EndsWithBackslash()) base += u"\\";
  const ks::sys::DWORD attributes = base.IsEmpty() ? ks::sys::INVALID_FILE_ATTRIBUTES : ks::sys::GetFileAttributes(base);
  if (attributes == ks::sys::INVALID_FILE_ATTRIBUTES || (attributes & ks::sys::FILE_ATTRIBUTE_DIRECTORY) == 0) {
    KsLogFormat(kKsLogWarning, kTag, u"No settings folder %s", base.Chars());
    return false;
  }
  bool ok = true;
  int imported = 0;
  ks::sys::WIN32_FIND_DATA data{};
  KsFindHandle find(ks::sys::FindFirstFile(base + u"*.xml", &data));
  if (find) {
    do {
      if ((data.dwFileAttributes & ks::sys::FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
      const KsString path = base + data.cFileName;
      KsXmlDocument document;
      if (!document.Load(path)) {
        KsLogFormat(kKsLogWarning, kTag, u"Settings file %s not imported: %s", path.Chars(),
                    document.GetResult().Chars());
        ok = false;
        continue;
      }
      if (!document.FindNext(u"XMLPH")) continue;  // not a settings file
      KsString storeName = document.GetAttribute(u"store");
      if (storeName.IsEmpty()) {
        storeName = data.cFileName;
        storeName = storeName.Left(storeName.ReverseFindChar(u'.'));
      }
      IKsSettingsStore* store = GetSettingsStore(storeName);
      if (store == nullptr) {
        ok = false;
        continue;
      }
      document.EnterElement();
      while (document.FindNext(u"Item")) {
        const KsString name = document.GetAttribute(u"Name");
        const KsString value = document.GetData();
        const bool written = document.GetAttribute(u"type").CompareNoCase(u"number") == 0
                                 ? store->WriteNumber(name, value.ToInt64())
                                 : store->WriteText(name, value);
        ok = written && ok;
      }
      ++imported;
    } while (ks::sys::FindNextFile(find.Get(), &data));
  }
  KsLogFormat(ok ? kKsLogInfo : kKsLogWarning, kTag, u"Imported %d settings files from %s", imported, base.Chars());
  return ok;
}
