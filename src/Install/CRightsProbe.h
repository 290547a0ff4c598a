#pragma once
// The administrative-rights probe: writes, reads back and removes a value in
// a scratch key below HKEY_LOCAL_MACHINE "Software\\Quorvane", then removes
// the scratch key. True only when all of that worked; nothing is left behind
// but the "Quorvane" key itself, which the install writes anyway.

bool HasInstallRights();
