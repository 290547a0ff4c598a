#pragma once
// The product information: an XML file beside the module ("Product.xml"),
// root "KsProduct", whose "Product" section names the product and whose other
// sections hold the keys the installer reads as /*/Section/Key. Display-name
// forms: 0 short name, 1 full name (with the major version), 2 client name,
// 3 object name (the full name without blanks, for named objects), 5 maker and
// full name. A running copy is a top-level window of the product's main window
// class in the machine's window table. Until Load succeeds every answer is the
// default (empty text, false, the caller's default).

#include <mutex>

#include "config/KsXmlDocument.h"
#include "foundation/KsTools.h"

class KsProductInformation final : public IKsProductInfo {
 public:
  static constexpr KsChar kFileName[] = u"Product.xml";
  static constexpr int kDefaultCloseTimeoutMs = 10000;

  // folder: the module's folder, ending in a backslash.
  explicit KsProductInformation(const KsString& folder) : m_folder(folder) {}
  bool IsLoaded() const noexcept { return m_loaded; }

  bool Load(const KsChar* identifier, KsString* error, int flags) override;
  KsString GetDisplayName(int form) override;
  KsString GetLauncherName() override;
  KsString GetLauncherPath() override;
  KsString GetMainProgramName() override;
  KsString GetVersionKey() override;
  KsString GetVersionText() override;
  KsString GetStartMenuName() override;
  KsString GetProductExtension() override;
  KsString GetProductMimeTypes() override;
  KsString GetProductProtocols() override;
  KsString GetProductText(int number) override;
  KsString GetWebAddress() override;
  KsString GetDataFolder() override;
  bool HasFeature(int number) override;
  KsString GetText(const KsChar* key, const KsChar* defaultValue) override;
  std::int64_t GetNumber(const KsChar* key, std::int64_t defaultValue) override;
  bool IsProductRunning() override;
  ks::sys::HWND GetProductWindow() override;
  void CloseProduct() override;

  // The product name with its version ("Auralis 22"), the settings maker
  // ("Quorvane"): the settings root is Software\<maker>\<name with version>.
  KsString GetSettingsRoot();

 private:
  KsString Field(const KsChar* name, const KsChar* defaultValue = u"");
  bool Find(const KsChar* path, KsString* data);

  std::recursive_mutex m_mutex;
  KsString m_folder;
  KsXmlDocument m_document;
  bool m_loaded = false;
};
