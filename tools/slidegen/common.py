# Modules shared by every instance of a slide: patient, study, series, equipment,
# frame of reference, specimen and SOP common, with deterministic UIDs.
import datetime

from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.uid import generate_uid

from .optical import code

MANUFACTURER = "Zorvel Test Instruments"
MODEL_NAME = "ZT-Scan 500"
DEVICE_SERIAL = "ZT500-0042"
SOFTWARE_VERSIONS = ["3.1.0.254167", "1.4.2", "2.0.7"]
ACQUISITION_DATETIME = "20260314093015.250000+0100"
ACQUISITION_DURATION_S = 321.5
CONTAINER_ID = "SLIDE-0001"
SPECIMEN_ID = "SPECIMEN-0001-A"


def uid(seed, *names):
    """A reproducible UID for the given seed and purpose."""
    return generate_uid(entropy_srcs=[str(seed)] + [str(n) for n in names])


class SlideIds:
    """UIDs shared by the instances of one generated slide."""

    def __init__(self, seed, series_uid=None):
        self.seed = seed
        self.study = uid(seed, "study")
        self.series = series_uid or uid(seed, "series")
        self.frame_of_reference = uid(seed, "frame-of-reference")
        self.specimen = uid(seed, "specimen")
        self.dimension_organization = uid(seed, "dimension-organization")
        self.annotation_series = uid(seed, "annotation-series")


def new_dataset(sop_class, sop_instance, syntax_uid):
    ds = Dataset()
    ds.file_meta = FileMetaDataset()
    ds.file_meta.MediaStorageSOPClassUID = sop_class
    ds.file_meta.MediaStorageSOPInstanceUID = sop_instance
    ds.file_meta.TransferSyntaxUID = syntax_uid
    ds.is_little_endian = True
    ds.is_implicit_VR = syntax_uid == "1.2.840.10008.1.2"
    ds.SpecificCharacterSet = "ISO_IR 192"
    ds.SOPClassUID = sop_class
    ds.SOPInstanceUID = sop_instance
    return ds


def add_patient_study(ds, ids):
    ds.PatientName = "Test^Slide"
    ds.PatientID = "ZRV-PAT-01"
    ds.PatientBirthDate = "19700101"
    ds.PatientSex = "O"
    ds.StudyInstanceUID = ids.study
    ds.StudyDate = "20260314"
    ds.StudyTime = "090000"
    ds.StudyID = "ZRV-STUDY-1"
    ds.AccessionNumber = "ACC-0001"
    ds.ReferringPhysicianName = ""


def add_equipment(ds):
    ds.Manufacturer = MANUFACTURER
    ds.ManufacturerModelName = MODEL_NAME
    ds.DeviceSerialNumber = DEVICE_SERIAL
    ds.SoftwareVersions = SOFTWARE_VERSIONS


def add_content_time(ds):
    now = datetime.datetime(2026, 3, 14, 10, 0, 0)
    ds.ContentDate = now.strftime("%Y%m%d")
    ds.ContentTime = now.strftime("%H%M%S")


def add_specimen(ds, ids):
    ds.ContainerIdentifier = CONTAINER_ID
    ds.IssuerOfTheContainerIdentifierSequence = []
    ds.ContainerTypeCodeSequence = [code("433466003", "SCT", "Microscope slide")]
    specimen = Dataset()
    specimen.SpecimenIdentifier = SPECIMEN_ID
    specimen.SpecimenUID = ids.specimen
    specimen.IssuerOfTheSpecimenIdentifierSequence = []
    specimen.SpecimenPreparationSequence = []
    ds.SpecimenDescriptionSequence = [specimen]


def add_frame_of_reference(ds, ids):
    ds.FrameOfReferenceUID = ids.frame_of_reference
    ds.PositionReferenceIndicator = "SLIDE_CORNER"
