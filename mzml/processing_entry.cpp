#include "mzml/processing_entry.h"

#include <boost/make_shared.hpp>

#include "params/rule_text.h"

namespace cv = pwiz::cv;
using pwiz::msdata::DataProcessing;
using pwiz::msdata::ProcessingMethod;

namespace {

constexpr const char* kSoftwareId = "Brevanto";
constexpr const char* kFilterProcessingId = "Brevanto_peak_filter";

}  // namespace

pwiz::msdata::SoftwarePtr AddBrevantoSoftware(pwiz::msdata::MSData& msd) {
    for (const auto& software : msd.softwarePtrs) {
        if (software && software->id == kSoftwareId) {
            return software;
        }
    }
    auto software = boost::make_shared<pwiz::msdata::Software>(kSoftwareId);
    software->version = BREVANTO_VERSION;
    software->set(cv::MS_custom_unreleased_software_tool, "Brevanto");
    msd.softwarePtrs.push_back(software);
    return software;
}

pwiz::msdata::DataProcessingPtr FilterProcessing(
    const boost::shared_ptr<const DataProcessing>& inputProcessing,
    const pwiz::msdata::SoftwarePtr& software, const CMassRangeList& rules) {
    auto processing = inputProcessing ? boost::make_shared<DataProcessing>(*inputProcessing)
                                      : boost::make_shared<DataProcessing>();
    processing->id = kFilterProcessingId;
    int order = 0;
    for (const ProcessingMethod& method : processing->processingMethods) {
        order = std::max(order, method.order + 1);
    }
    ProcessingMethod step;
    step.order = order;
    step.softwarePtr = software;
    step.set(cv::MS_data_filtering);
    step.userParams.emplace_back("Brevanto filter",
                                 "mass-defect peak filter; a rule's function is the MS level");
    for (std::int32_t r = 0; r < rules.GetCount(); ++r) {
        CMassRange rule;
        if (rules.GetEntry(r, rule)) {
            step.userParams.emplace_back("Brevanto rule", FormatRule(rule));
        }
    }
    processing->processingMethods.push_back(step);
    return processing;
}

pwiz::msdata::DataProcessingPtr ConversionProcessing(const std::string& id,
                                                     const pwiz::msdata::SoftwarePtr& software,
                                                     const std::string& what) {
    auto processing = boost::make_shared<DataProcessing>(id);
    ProcessingMethod step;
    step.order = 0;
    step.softwarePtr = software;
    step.set(cv::MS_file_format_conversion);
    step.userParams.emplace_back("Brevanto conversion", what);
    processing->processingMethods.push_back(step);
    return processing;
}
