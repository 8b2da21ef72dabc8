#include <gtest/gtest.h>

#include "settings/InstanceSwitch.h"
#include "settings/SettingsLocation.h"

namespace kestrimo {
namespace {

TEST(InstanceSwitch, RecognisedInAnyCaseAndLowered) {
  EXPECT_EQ(ParseInstanceId("C:\\TV\\Telvaro.exe -INST:B"), "b");
  EXPECT_EQ(ParseInstanceId("telvaro.exe /Inst:Q -x"), "q");
}

TEST(InstanceSwitch, OnlyOneCharacterIsTaken) {
  EXPECT_EQ(ParseInstanceId("telvaro.exe /inst:12"), "1");
}

TEST(InstanceSwitch, SlashWinsWhereverTheTwoStand) {
  EXPECT_EQ(ParseInstanceId("t.exe -inst:3 /inst:4"), "4");
  EXPECT_EQ(ParseInstanceId("t.exe /inst:4 -inst:3"), "4");
}

TEST(InstanceSwitch, FirstOccurrenceCounts) {
  EXPECT_EQ(ParseInstanceId("t.exe -inst:3 -inst:5"), "3");
}

TEST(InstanceSwitch, SwitchAtTheVeryEndNamesNoInstance) {
  EXPECT_EQ(ParseInstanceId("telvaro.exe -inst:"), "");
  EXPECT_EQ(ParseInstanceId("t.exe -inst:3 /inst:"), "") << "the slash switch still wins";
  EXPECT_EQ(ParseInstanceId("telvaro.exe -inst"), "");
  EXPECT_EQ(ParseInstanceId(""), "");
}

SettingsInputs Inputs() {
  SettingsInputs inputs;
  inputs.versionKnown = true;
  inputs.ntFamily = true;
  inputs.appDataFolder = "C:\\Users\\u\\AppData\\Roaming";
  inputs.programPath = "C:\\Program Files\\Telvaro\\Telvaro.exe";
  inputs.commandLine = "\"C:\\Program Files\\Telvaro\\Telvaro.exe\"";
  return inputs;
}

TEST(SettingsLocationRule, ProgramFolderByDefault) {
  const SettingsLocation location = ResolveSettingsLocation(Inputs(), "KRD_Kestrimo");
  EXPECT_EQ(location.folder, "C:\\Program Files\\Telvaro\\Plugins\\");
  EXPECT_EQ(location.fileName, "KRD_Kestrimo.ini");
  EXPECT_EQ(location.moduleName, "KRD_Kestrimo");
  EXPECT_EQ(location.path, "C:\\Program Files\\Telvaro\\Plugins\\KRD_Kestrimo.ini");
  EXPECT_EQ(location.instanceId, "");
}

TEST(SettingsLocationRule, InstanceFolderInsideTheBase) {
  SettingsInputs inputs = Inputs();
  inputs.commandLine += " -inst:3";
  EXPECT_EQ(ResolveSettingsLocation(inputs, "M").path,
            "C:\\Program Files\\Telvaro\\Instances\\3\\Plugins\\M.ini");
}

TEST(SettingsLocationRule, UserFolderOnlyWithTheRegistryValue) {
  SettingsInputs inputs = Inputs();
  inputs.storeInUsersFolder = 1;
  EXPECT_EQ(ResolveSettingsLocation(inputs, "M").path,
            "C:\\Users\\u\\AppData\\Roaming\\Telvaro\\Plugins\\M.ini");
  inputs.storeInUsersFolder = 0x80000000u;
  inputs.commandLine += " /inst:7";
  EXPECT_EQ(ResolveSettingsLocation(inputs, "M").path,
            "C:\\Users\\u\\AppData\\Roaming\\Telvaro\\Instances\\7\\Plugins\\M.ini");
}

TEST(SettingsLocationRule, UserFolderNeverOutsideTheNtFamily) {
  SettingsInputs inputs = Inputs();
  inputs.storeInUsersFolder = 1;
  inputs.ntFamily = false;
  EXPECT_EQ(ResolveSettingsLocation(inputs, "M").path, "C:\\Program Files\\Telvaro\\Plugins\\M.ini");
}

TEST(SettingsLocationRule, AppDataFolderWithTrailingBackslash) {
  SettingsInputs inputs = Inputs();
  inputs.storeInUsersFolder = 1;
  inputs.appDataFolder = "\\home\\u\\.config\\";
  EXPECT_EQ(ResolveSettingsLocation(inputs, "M").folder, "\\home\\u\\.config\\Telvaro\\Plugins\\");
}

TEST(SettingsLocationRule, UnknownInputsLeaveNoPath) {
  SettingsInputs noVersion = Inputs();
  noVersion.versionKnown = false;
  EXPECT_EQ(ResolveSettingsLocation(noVersion, "M").path, "");
  EXPECT_EQ(ResolveSettingsLocation(noVersion, "M").folder, "");

  SettingsInputs noProgram = Inputs();
  noProgram.programPath = "";
  EXPECT_EQ(ResolveSettingsLocation(noProgram, "M").path, "");

  SettingsInputs noAppData = Inputs();
  noAppData.storeInUsersFolder = 1;
  noAppData.appDataFolder = "";
  EXPECT_EQ(ResolveSettingsLocation(noAppData, "M").path, "") << "not the drive's root";

  EXPECT_EQ(ResolveSettingsLocation(Inputs(), "").path, "");
}

TEST(ModuleBaseName, FileNameWithoutFolderAndExtension) {
  EXPECT_EQ(ModuleBaseName("C:\\TV\\Plugins\\KRD_Kestrimo.dll"), "KRD_Kestrimo");
  EXPECT_EQ(ModuleBaseName("\\opt\\tv\\libKRD_Kestrimo.so"), "KRD_Kestrimo");
  EXPECT_EQ(ModuleBaseName("/opt/tv/libKRD_Kestrimo.so"), "KRD_Kestrimo");
  EXPECT_EQ(ModuleBaseName("C:\\x\\libKRD_Kestrimo.dll"), "libKRD_Kestrimo")
      << "the prefix belongs to shared objects only";
  EXPECT_EQ(ModuleBaseName("C:\\x.y\\KRD.Kestrimo.dll"), "KRD.Kestrimo");
  EXPECT_EQ(ModuleBaseName("KRD_Kestrimo"), "KRD_Kestrimo");
  EXPECT_EQ(ModuleBaseName(""), "");
}

}  // namespace
}  // namespace kestrimo
