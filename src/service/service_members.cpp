// The Service object's method table for IDispatch: DISPID = slot.
#include <vector>

#include "service/argument_shapes.h"
#include "service/service_object.h"

namespace zelvan {

void ServiceObject::RegisterMembers() {
  using S = Shape;
  // A script holds node handles in an array, or one in a variable passed by
  // reference; the slot takes a zero-terminated list by reference.
  auto node_text = [this](DispatchCall& c) {
    VARIANT node = c.Variant(0);
    std::vector<LONG> handles;
    if (node.vt == VT_I4 || !LongsFromVariant(node, &handles)) {
      return GetTreeNodeText(node, c.OutBstr(1));
    }
    ArgumentScope scope{&node};
    handles.push_back(0);
    VARIANT list;
    VariantInit(&list);
    list.vt = VT_I4 | VT_BYREF;
    list.plVal = handles.data();
    return GetTreeNodeTextOf(list, c.OutBstr(1));
  };
  Member(7, "ActiveProjectChanged", {S::kVariant},
         [this](DispatchCall& c) { return ActiveProjectChanged(c.Variant(0)); });
  Member(8, "Method8", {}, [this](DispatchCall&) { return Method8(); });
  Member(9, "Method9", {}, [this](DispatchCall&) { return Method9(); });
  Member(10, "Method10", {S::kRequest}, [this](DispatchCall&) { return Method10(nullptr); });
  Member(11, "Method11", {S::kRequest}, [this](DispatchCall&) { return Method11(nullptr); });
  Member(12, "GetProjectInfo", {S::kLong, S::kVariant, S::kVariant, S::kOutBstr},
         [this](DispatchCall& c) {
           return GetProjectInfo(c.Long(0), c.Variant(1), c.Variant(2), c.OutBstr(3));
         });
  Member(13, "SetProjectInfo", {S::kLong, S::kVariant, S::kVariant, S::kOwnedBstr},
         [this](DispatchCall& c) {
           return SetProjectInfo(c.Long(0), c.Variant(1), c.Variant(2), c.OwnedBstr(3));
         });
  Member(14, "Method14",
         {S::kVariant, S::kOutVariant, S::kVariant, S::kOutVariant, S::kVariant, S::kOutVariant},
         [this](DispatchCall& c) {
           return Method14(c.Variant(0), c.OutVariant(1), c.Variant(2), c.OutVariant(3),
                           c.Variant(4), c.OutVariant(5));
         });
  Member(15, "Method15",
         {S::kLong, S::kVariant, S::kOutVariant, S::kVariant, S::kOutVariant, S::kVariant,
          S::kOutVariant, S::kBstr},
         [this](DispatchCall& c) {
           return Method15(c.Long(0), c.Variant(1), c.OutVariant(2), c.Variant(3), c.OutVariant(4),
                           c.Variant(5), c.OutVariant(6), c.Bstr(7));
         });
  Member(16, "GetLastStatus", {S::kOutLong},
         [this](DispatchCall& c) { return GetLastStatus(c.OutLong(0)); });
  Member(17, "AddLinkProject", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return AddLinkProject(c.Variant(0), c.Variant(1)); });
  Member(18, "RemoveLinkProject", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return RemoveLinkProject(c.Variant(0), c.Variant(1)); });
  Member(19, "GetTreeNodeText", {S::kVariant, S::kOutBstr},
         [node_text](DispatchCall& c) { return node_text(c); });
  Member(20, "Method20", {S::kVariant, S::kOutBstr},
         [node_text](DispatchCall& c) { return node_text(c); });
  Member(21, "SaveMakefile", {S::kVariant},
         [this](DispatchCall& c) { return SaveMakefile(c.Variant(0)); });
  Member(22, "UpdateDependencies", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return UpdateDependencies(c.Variant(0), c.Variant(1)); });
  Member(23, "AddFile", {S::kVariant, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return AddFile(c.Variant(0), c.Variant(1), c.Variant(2)); });
  Member(24, "Method24", {S::kRequest}, [this](DispatchCall&) { return Method24(nullptr); });
  Member(25, "AddTarget", {S::kVariant, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return AddTarget(c.Variant(0), c.Variant(1), c.Variant(2)); });
  Member(26, "RemoveTarget", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return RemoveTarget(c.Variant(0), c.Variant(1)); });
  Member(27, "GetLinkProjectCount", {S::kVariant, S::kOutLong},
         [this](DispatchCall& c) { return GetLinkProjectCount(c.Variant(0), c.OutLong(1)); });
  Member(28, "GetLinkProjectByIndex", {S::kVariant, S::kLong, S::kOutBstr},
         [this](DispatchCall& c) {
           return GetLinkProjectByIndex(c.Variant(0), c.Long(1), c.OutBstr(2));
         });
  Member(29, "GetCpuInfo", {S::kLong, S::kVariant, S::kVariant, S::kOutVariant},
         [this](DispatchCall& c) {
           return GetCpuInfo(c.Long(0), c.Variant(1), c.Variant(2), c.OutVariant(3));
         });
  Member(30, "Method30", {S::kVariant, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method30(c.Variant(0), c.Variant(1), c.Variant(2)); });
  Member(31, "OpenWorkspace", {S::kVariant},
         [this](DispatchCall& c) { return OpenWorkspace(c.Variant(0)); });
  Member(32, "CloseWorkspace", {}, [this](DispatchCall&) { return CloseWorkspace(); });
  Member(33, "SaveWorkspace", {S::kLong},
         [this](DispatchCall& c) { return SaveWorkspace(c.Long(0)); });
  Member(34, "GetIncludePaths", {S::kLong, S::kBstr, S::kBstr, S::kOutVariant},
         [this](DispatchCall& c) {
           return GetIncludePaths(c.Long(0), c.Bstr(1), c.Bstr(2), c.OutVariant(3));
         });
  Member(35, "AddProject", {S::kVariant},
         [this](DispatchCall& c) { return AddProject(c.Variant(0)); });
  Member(36, "Method36", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method36(c.Variant(0), c.Variant(1)); });
  Member(37, "CreateProject",
         {S::kVariantRef, S::kVariantRef, S::kVariantRef, S::kVariantRef, S::kOutVariant,
          S::kOutVariant},
         [this](DispatchCall& c) {
           return CreateProject(c.VariantRef(0), c.VariantRef(1), c.VariantRef(2), c.VariantRef(3),
                                c.OutVariant(4), c.OutVariant(5));
         });
  Member(38, "Method38",
         {S::kVariantRef, S::kVariantRef, S::kVariantRef, S::kVariantRef, S::kOutVariant,
          S::kOutVariant},
         [this](DispatchCall& c) {
           return Method38(c.VariantRef(0), c.VariantRef(1), c.VariantRef(2), c.VariantRef(3),
                           c.OutVariant(4), c.OutVariant(5));
         });
  Member(39, "Method39",
         {S::kVariantRef, S::kVariantRef, S::kVariantRef, S::kVariantRef, S::kOutVariant,
          S::kOutVariant},
         [this](DispatchCall& c) {
           return Method39(c.VariantRef(0), c.VariantRef(1), c.VariantRef(2), c.VariantRef(3),
                           c.OutVariant(4), c.OutVariant(5));
         });
  Member(40, "ConvertOldProject", {S::kVariant},
         [this](DispatchCall& c) { return ConvertOldProject(c.Variant(0)); });
  Member(41, "Method41", {S::kVariant}, [this](DispatchCall& c) { return Method41(c.Variant(0)); });
  Member(42, "Method42", {}, [this](DispatchCall&) { return Method42(); });
  Member(43, "Method43", {}, [this](DispatchCall&) { return Method43(); });
  Member(44, "Method44", {}, [this](DispatchCall&) { return Method44(); });
  Member(45, "Method45", {S::kBstr}, [this](DispatchCall& c) { return Method45(c.Bstr(0)); });
  Member(46, "Method46", {S::kBstr}, [this](DispatchCall& c) { return Method46(c.Bstr(0)); });
  Member(47, "Method47", {S::kBstr}, [this](DispatchCall& c) { return Method47(c.Bstr(0)); });
  Member(48, "Method48", {S::kBstr, S::kVariant},
         [this](DispatchCall& c) { return Method48(c.Bstr(0), c.Variant(1)); });
  Member(49, "Method49", {S::kBstr, S::kVariant},
         [this](DispatchCall& c) { return Method49(c.Bstr(0), c.Variant(1)); });
  Member(50, "Method50", {S::kBstr, S::kVariant},
         [this](DispatchCall& c) { return Method50(c.Bstr(0), c.Variant(1)); });
  Member(51, "GetWorkspaceArchiveState", {S::kOutLong},
         [this](DispatchCall& c) { return GetWorkspaceArchiveState(c.OutLong(0)); });
  Member(52, "GetProjectArchiveState", {S::kBstr, S::kOutLong},
         [this](DispatchCall& c) { return GetProjectArchiveState(c.Bstr(0), c.OutLong(1)); });
  Member(53, "Method53", {S::kBstr, S::kBstr, S::kOutVariant},
         [this](DispatchCall& c) { return Method53(c.Bstr(0), c.Bstr(1), c.OutVariant(2)); });
  Member(54, "GetLastMessage", {S::kOutBstr},
         [this](DispatchCall& c) { return GetLastMessage(c.OutBstr(0)); });
  Member(55, "GetWorkDir", {S::kBstr, S::kBstr, S::kVariant, S::kVariant}, [this](DispatchCall& c) {
    return GetWorkDir(c.Bstr(0), c.Bstr(1), c.Variant(2), c.Variant(3));
  });
  Member(56, "Method56", {S::kBstr, S::kBstr, S::kVariant, S::kVariant}, [this](DispatchCall& c) {
    return Method56(c.Bstr(0), c.Bstr(1), c.Variant(2), c.Variant(3));
  });
  Member(57, "GetFileNoBuild", {S::kBstr, S::kBstr, S::kBstr, S::kOutLong},
         [this](DispatchCall& c) {
           return GetFileNoBuild(c.Bstr(0), c.Bstr(1), c.Bstr(2), c.OutLong(3));
         });
  Member(58, "GetCpuName", {S::kLong, S::kBstr, S::kOutVariant},
         [this](DispatchCall& c) { return GetCpuName(c.Long(0), c.Bstr(1), c.OutVariant(2)); });
  Member(59, "Method59", {S::kBstr, S::kVariant},
         [this](DispatchCall& c) { return Method59(c.Bstr(0), c.Variant(1)); });
  Member(60, "Method60", {S::kBstr, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method60(c.Bstr(0), c.Variant(1), c.Variant(2)); });
  Member(61, "Method61", {S::kBstr, S::kBstr, S::kVariant},
         [this](DispatchCall& c) { return Method61(c.Bstr(0), c.Bstr(1), c.Variant(2)); });
  Member(62, "Method62", {}, [this](DispatchCall&) { return Method62(); });
  Member(63, "Method63", {}, [this](DispatchCall&) { return Method63(); });
  Member(64, "Method64", {S::kBstr}, [this](DispatchCall& c) { return Method64(c.Bstr(0)); });
  Member(65, "Method65", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method65(c.Variant(0), c.Variant(1)); });
  Member(66, "Method66", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method66(c.Variant(0), c.Variant(1)); });
  Member(67, "Method67", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method67(c.Variant(0), c.Variant(1)); });
  Member(68, "Method68", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method68(c.Variant(0), c.Variant(1)); });
  Member(69, "Method69", {S::kLong, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method69(c.Long(0), c.Variant(1), c.Variant(2)); });
  Member(70, "Method70", {S::kLong, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method70(c.Long(0), c.Variant(1), c.Variant(2)); });
  Member(71, "Method71", {}, [this](DispatchCall&) { return Method71(); });
  Member(72, "CreateTable", {S::kVariant, S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return CreateTable(c.Variant(0), c.Variant(1), c.Variant(2)); });
  Member(73, "Method73", {S::kLong, S::kVariant, S::kVariant, S::kVariant},
         [this](DispatchCall& c) {
           return Method73(c.Long(0), c.Variant(1), c.Variant(2), c.Variant(3));
         });
  Member(74, "Method74", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method74(c.Variant(0), c.Variant(1)); });
  Member(75, "Method75", {S::kVariant, S::kVariant},
         [this](DispatchCall& c) { return Method75(c.Variant(0), c.Variant(1)); });
  Member(76, "Method76", {S::kVariant}, [this](DispatchCall& c) { return Method76(c.Variant(0)); });
  Member(77, "SetEventData", {S::kLong, S::kBstr, S::kOutLong, S::kOutLong},
         [this](DispatchCall& c) {
           return SetEventData(c.Long(0), c.Bstr(1), c.OutLong(2), c.OutLong(3));
         });
  Member(78, "DeleteEventData", {S::kLong},
         [this](DispatchCall& c) { return DeleteEventData(c.Long(0)); });
  Member(79, "UpdateProjectDependencies", {S::kLong, S::kVariant, S::kVariant},
         [this](DispatchCall& c) {
           return UpdateProjectDependencies(c.Long(0), c.Variant(1), c.Variant(2));
         });
  Member(80, "AddFileEx", {S::kLong, S::kVariant, S::kVariant, S::kVariant},
         [this](DispatchCall& c) {
           return AddFileEx(c.Long(0), c.Variant(1), c.Variant(2), c.Variant(3));
         });
  Member(81, "Method81", {S::kVariant}, [this](DispatchCall& c) { return Method81(c.Variant(0)); });
  Member(82, "Method82", {S::kBstr}, [this](DispatchCall& c) { return Method82(c.Bstr(0)); });
  Member(83, "GetSectionsValue", {S::kVariant, S::kVariant, S::kVariant, S::kOutVariant},
         [this](DispatchCall& c) {
           return GetSectionsValue(c.Variant(0), c.Variant(1), c.Variant(2), c.OutVariant(3));
         });
  Member(84, "GetOuterValue", {S::kVariant, S::kVariant, S::kOutVariant}, [this](DispatchCall& c) {
    return GetOuterValue(c.Variant(0), c.Variant(1), c.OutVariant(2));
  });
  Member(85, "Method85", {S::kVariant}, [this](DispatchCall& c) { return Method85(c.Variant(0)); });
  Member(86, "CopyProject", {S::kBstr}, [this](DispatchCall& c) { return CopyProject(c.Bstr(0)); });
  Member(87, "RenameProject", {S::kBstr, S::kBstr},
         [this](DispatchCall& c) { return RenameProject(c.Bstr(0), c.Bstr(1)); });
}

}  // namespace zelvan
