#!/usr/bin/env python3
"""Reads a product folder's product.ini, checks every key, and writes what the build takes from
it: the C++ header build_settings.h and a CMake script of BRIGHTMERE_PRODUCT_<KEY> variables.

Usage: product_settings.py PRODUCT_DIR OUT_DIR [KEY=VALUE ...]

A KEY=VALUE argument overrides the product's value of KEY when VALUE is not empty (test and
demo builds point the hosts at loopback servers and pin the test signer); stall_seconds=N is
the build's own download stall limit (default 60). Any problem is printed
as "<file>: key '<key>': <what is wrong>" and the exit code is 1; nothing is written then.
Outputs are rewritten only when their content changes, so a reconfigure rebuilds nothing.
"""
import os
import re
import sys

HOST = re.compile(r"^[A-Za-z0-9.-]+(:[0-9]{1,5})?$")
VERSION = re.compile(r"^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$")
LANGUAGE = re.compile(r"^[a-z]{2,3}_[A-Z]{2}$")
NAME_FORBIDDEN = re.compile(r'[\\/:*?"<>|\x00-\x1f]')
# Windows language identifiers of the languages a product may list; the first listed names the
# language of the version resource.
LANGUAGE_IDS = {
    "de_DE": 0x0407, "en_GB": 0x0809, "en_US": 0x0409, "es_ES": 0x0C0A, "fr_FR": 0x040C,
    "it_IT": 0x0410, "ja_JP": 0x0411, "ko_KR": 0x0412, "nl_NL": 0x0413, "pl_PL": 0x0415,
    "pt_BR": 0x0416, "ru_RU": 0x0419, "tr_TR": 0x041F, "zh_CN": 0x0804, "zh_TW": 0x0404,
}
HOST_KEYS = ("package_host", "report_host", "fallback_host", "agreement_host", "offline_host")


class Problem(Exception):
    pass


def text(value):
    if not value:
        raise Problem("must not be empty")
    if re.search(r"[\x00-\x1f]", value):
        raise Problem("holds a control character")
    return value


def optional(check):
    return lambda value: check(value) if value else value


def version(value):
    if not VERSION.match(value):
        raise Problem("must be four numbers a.b.c.d, got '%s'" % value)
    if any(int(part) > 65535 for part in value.split(".")):
        raise Problem("each number must be at most 65535, got '%s'" % value)
    return value


def matching(pattern, what):
    def check(value):
        if not re.match(pattern, value):
            raise Problem("must be %s, got '%s'" % (what, value))
        return value
    return check


host = matching(HOST, "a host name or address with an optional :port")
count = matching(r"^[1-9][0-9]{0,15}$", "a positive whole number")
prefix = matching(r"^[A-Za-z0-9-]{1,16}$", "1 to 16 letters, digits or '-'")


def file_name(value):
    text(value)
    if NAME_FORBIDDEN.search(value) or value in (".", ".."):
        raise Problem("must be a plain file name, got '%s'" % value)
    return value


def exe_name(value):
    file_name(value)
    if not value.lower().endswith(".exe"):
        raise Problem("must name a .exe, got '%s'" % value)
    return value


def relative_folder(value):
    text(value)
    parts = value.split("\\")
    for part in parts:
        if not part or part in (".", "..") or part != part.strip() or NAME_FORBIDDEN.search(part):
            raise Problem("must be a relative folder like 'Maker\\Product', got '%s'" % value)
    return value


def registry_key(value):
    text(value)
    if value.startswith("\\") or value.endswith("\\") or "\\\\" in value:
        raise Problem("must be a key path like 'Software\\Maker\\Product', got '%s'" % value)
    return value


def mutex_name(value):
    text(value)
    if "\\" in value:
        raise Problem("must not hold a backslash, got '%s'" % value)
    return value


def languages(value):
    items = [item.strip() for item in value.split(",")]
    for item in items:
        if not LANGUAGE.match(item):
            raise Problem("must be language names like zh_CN or en_US, comma-separated, got '%s'" % value)
        if item not in LANGUAGE_IDS:
            raise Problem("'%s' is not one of %s" % (item, ", ".join(sorted(LANGUAGE_IDS))))
    return ",".join(items)


def signer_keys(value):
    keys = [key.strip() for key in re.split(r"[,;]", value) if key.strip()]
    for key in keys:
        if not re.match(r"^[0-9a-fA-F]{64}$", key):
            raise Problem("'%s' is not a SHA-256 of 64 hex digits" % key)
    return ",".join(keys)


def url_template(schemes, placeholders):
    def check(value):
        text(value)
        scheme = value.split("://", 1)[0] if "://" in value else ""
        if scheme not in schemes:
            raise Problem("must start with %s, got '%s'" % (" or ".join(s + "://" for s in schemes), value))
        for name in re.findall(r"\{([^}]*)\}", value):
            if name not in placeholders:
                raise Problem("has an unknown placeholder {%s}" % name)
        if re.search(r"\s", value):
            raise Problem("must not hold spaces, got '%s'" % value)
        return value
    return check


def setup_command(value):
    text(value)
    names = re.findall(r"\{([^}]*)\}", value)
    for name in names:
        if name not in ("package", "install_dir"):
            raise Problem("has an unknown placeholder {%s}" % name)
    if names.count("package") != 1 or names.count("install_dir") != 1:
        raise Problem("must hold {package} and {install_dir} once each")
    return value


def survey_labels(value):
    labels = [label.strip() for label in value.split(",")]
    if len(labels) != 5 or not all(labels):
        raise Problem("must be five non-empty labels, comma-separated, got '%s'" % value)
    return ",".join(labels)


HOSTS = tuple("{%s}" % key for key in HOST_KEYS)
WEB = ("http", "https")
KEYS = {
    "display_name": text,
    "company_name": text,
    "legal_copyright": text,
    "file_description": text,
    "installer_file_name": exe_name,
    "file_version": version,
    "languages": languages,
    "default_language": text,
    "channel_tag": lambda v: v,
    "package_host": host,
    "report_host": optional(host),
    "fallback_host": host,
    "agreement_host": host,
    "offline_host": host,
    "package_url": url_template(WEB, HOST_KEYS + ("channel",)),
    "fallback_url": url_template(("https",), HOST_KEYS),
    "report_url": url_template(WEB, HOST_KEYS),
    "agreement_url": url_template(WEB, HOST_KEYS),
    "offline_url": url_template(WEB, HOST_KEYS),
    "package_signer": optional(text),
    "package_signer_keys": signer_keys,
    "package_signer_issuer": optional(text),
    "min_package_version": optional(version),
    "signing_url": url_template(WEB, ()),
    "package_file_name": exe_name,
    "package_min_bytes": count,
    "package_folder_prefix": prefix,
    "free_space_bytes": count,
    "data_folder": relative_folder,
    "setup_command": setup_command,
    "app_exe_name": exe_name,
    "install_folder": relative_folder,
    "registry_key": registry_key,
    "mutex_name": mutex_name,
    "report_app_name": text,
    "report_survey_labels": survey_labels,
    "report_exit_start_installed": text,
    "report_exit_failed_installed": text,
    "report_exit_failed_not_installed": text,
}


def parse(path):
    """key -> raw value; raises Problem with the line for what is not a setting."""
    values = {}
    with open(path, encoding="utf-8-sig") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            key, sep, value = line.partition("=")
            key = key.strip()
            if not sep or not re.match(r"^[a-z_]+$", key):
                raise Problem("line %d is not 'key = value': %s" % (number, line))
            if key not in KEYS:
                raise Problem("key '%s' (line %d) is not a setting" % (key, number))
            if key in values:
                raise Problem("key '%s' is set twice (line %d)" % (key, number))
            values[key] = value.strip()
    return values


def read(product_dir, overrides=None):
    """The checked settings of the product, overrides applied; raises Problem."""
    path = os.path.join(product_dir, "product.ini")
    try:
        values = parse(path)
    except OSError as e:
        raise Problem("%s: cannot be read: %s" % (path, e.strerror))
    except (Problem, UnicodeDecodeError) as e:
        raise Problem("%s: %s" % (path, e))
    overrides = dict(overrides or {})
    stall = overrides.pop("stall_seconds", "") or "60"
    for key, value in overrides.items():
        if key not in KEYS:
            raise Problem("override: key '%s' is not a setting" % key)
        if value:
            values[key] = value
    settings = {}
    for key, check in KEYS.items():
        if key not in values:
            raise Problem("%s: key '%s' is missing" % (path, key))
        try:
            settings[key] = check(values[key])
        except Problem as e:
            raise Problem("%s: key '%s': %s" % (path, key, e))
    if settings["default_language"] not in settings["languages"].split(","):
        raise Problem("%s: key 'default_language': '%s' is not in languages" % (path, settings["default_language"]))
    if len(settings["channel_tag"].encode("utf-8")) > 260:
        raise Problem("%s: key 'channel_tag': at most 260 bytes" % path)
    hosts = {key: settings[key] for key in HOST_KEYS}
    hosts["report_host"] = hosts["report_host"] or hosts["package_host"]
    for key in ("package_url", "fallback_url", "report_url", "agreement_url", "offline_url"):
        for name, value in hosts.items():
            settings[key] = settings[key].replace("{%s}" % name, value)
    settings["effective_report_host"] = hosts["report_host"]
    language = LANGUAGE_IDS[settings["languages"].split(",")[0]]
    settings["language_id"] = "0x%04X" % language
    settings["rc_language"] = "%d, %d" % (language & 0x3FF, language >> 10)
    try:
        settings["stall_seconds"] = count(stall)
    except Problem as e:
        raise Problem("BRIGHTMERE_STALL_SECONDS: %s" % e)
    return settings


def wide(value):
    return 'L"%s"' % value.replace("\\", "\\\\").replace('"', '\\"')


def narrow(value):
    return '"%s"' % value.replace("\\", "\\\\").replace('"', '\\"')


def header(s):
    labels = ", ".join(wide(label) for label in s["report_survey_labels"].split(","))
    lines = [
        "// Generated from the product folder's product.ini by cmake/product_settings.py.",
        "#pragma once",
        "",
        "#include <cstdint>",
        "",
        "namespace build {",
        "",
        "inline constexpr wchar_t kDisplayName[] = %s;" % wide(s["display_name"]),
        "inline constexpr wchar_t kFileVersion[] = %s;" % wide(s["file_version"]),
        "// The version resource's texts (the installer itself reads none of them).",
        "inline constexpr wchar_t kCompanyName[] = %s;" % wide(s["company_name"]),
        "inline constexpr wchar_t kLegalCopyright[] = %s;" % wide(s["legal_copyright"]),
        "inline constexpr wchar_t kFileDescription[] = %s;" % wide(s["file_description"]),
        "inline constexpr unsigned kLanguageId = %s;" % s["language_id"],
        "// The languages the product has string tables for, comma-separated, and its default.",
        "inline constexpr wchar_t kLanguages[] = %s;" % wide(s["languages"]),
        "inline constexpr wchar_t kDefaultLanguage[] = %s;" % wide(s["default_language"]),
        "inline constexpr wchar_t kPackageHost[] = %s;" % wide(s["package_host"]),
        "inline constexpr char kReportHost[] = %s;" % narrow(s["effective_report_host"]),
        "inline constexpr wchar_t kFallbackHost[] = %s;" % wide(s["fallback_host"]),
        "inline constexpr wchar_t kAgreementHost[] = %s;" % wide(s["agreement_host"]),
        "inline constexpr wchar_t kOfflineHost[] = %s;" % wide(s["offline_host"]),
        "// {channel} is replaced with the channel, verbatim.",
        "inline constexpr wchar_t kPackageUrl[] = %s;" % wide(s["package_url"]),
        "inline constexpr wchar_t kFallbackUrl[] = %s;" % wide(s["fallback_url"]),
        "inline constexpr char kReportUrl[] = %s;" % narrow(s["report_url"]),
        "inline constexpr wchar_t kAgreementUrl[] = %s;" % wide(s["agreement_url"]),
        "inline constexpr wchar_t kOfflineUrl[] = %s;" % wide(s["offline_url"]),
        "// Common name the setup package's signing certificate must have; empty: not checked.",
        "inline constexpr wchar_t kPackageSigner[] = %s;" % wide(s["package_signer"]),
        "// SHA-256 (hex) of the public keys the signer may have, \";\"-separated; empty: any key.",
        "inline constexpr wchar_t kPackageSignerKeys[] = %s;" % wide(s["package_signer_keys"].replace(",", ";")),
        "// Common name of the signer certificate's issuer; empty: any issuer.",
        "inline constexpr wchar_t kPackageSignerIssuer[] = %s;" % wide(s["package_signer_issuer"]),
        "// Lowest file version of the setup package accepted (\"major.minor.build.revision\"); empty: any.",
        "inline constexpr wchar_t kMinPackageVersion[] = %s;" % wide(s["min_package_version"]),
        "inline constexpr wchar_t kPackageFileName[] = %s;" % wide(s["package_file_name"]),
        "inline constexpr int64_t kPackageMinBytes = %s;" % s["package_min_bytes"],
        "inline constexpr wchar_t kPackageFolderPrefix[] = %s;" % wide(s["package_folder_prefix"]),
        "inline constexpr uint64_t kFreeSpaceBytes = %sull;" % s["free_space_bytes"],
        "inline constexpr wchar_t kDataFolder[] = %s;" % wide(s["data_folder"]),
        "// {package} and {install_dir} are replaced when the setup is started.",
        "inline constexpr wchar_t kSetupCommand[] = %s;" % wide(s["setup_command"]),
        "inline constexpr wchar_t kAppExeName[] = %s;" % wide(s["app_exe_name"]),
        "inline constexpr wchar_t kInstallFolder[] = %s;" % wide(s["install_folder"]),
        "inline constexpr wchar_t kRegistryKey[] = %s;" % wide(s["registry_key"]),
        "inline constexpr wchar_t kMutexName[] = %s;" % wide(s["mutex_name"]),
        "inline constexpr wchar_t kReportAppName[] = %s;" % wide(s["report_app_name"]),
        "inline constexpr const wchar_t* kReportSurveyLabels[5] = {%s};" % labels,
        "inline constexpr wchar_t kReportExitStartInstalled[] = %s;" % wide(s["report_exit_start_installed"]),
        "inline constexpr wchar_t kReportExitFailedInstalled[] = %s;" % wide(s["report_exit_failed_installed"]),
        "inline constexpr wchar_t kReportExitFailedNotInstalled[] = %s;" % wide(s["report_exit_failed_not_installed"]),
        "// A download attempt that receives nothing for this many seconds is given up.",
        "inline constexpr int kDownloadStallSeconds = %s;" % s["stall_seconds"],
        "",
        "}  // namespace build",
        "",
    ]
    return "\n".join(lines)


def cmake_script(s):
    def quote(value):
        return '"%s"' % re.sub(r'([\\"$;])', r"\\\1", value)
    return "".join("set(BRIGHTMERE_PRODUCT_%s %s CACHE INTERNAL \"\")\n" % (key.upper(), quote(value))
                   for key, value in sorted(s.items()))


def write_if_changed(path, content):
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == content:
                return
    except OSError:
        pass
    with open(path + ".tmp", "w", encoding="utf-8", newline="\n") as f:
        f.write(content)
    os.replace(path + ".tmp", path)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    overrides = {}
    for arg in argv[3:]:
        key, _, value = arg.partition("=")
        overrides[key] = value
    try:
        settings = read(argv[1], overrides)
    except Problem as e:
        print(e, file=sys.stderr)
        return 1
    os.makedirs(argv[2], exist_ok=True)
    write_if_changed(os.path.join(argv[2], "build_settings.h"), header(settings))
    write_if_changed(os.path.join(argv[2], "product_settings.cmake"), cmake_script(settings))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
