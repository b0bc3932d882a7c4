"""The dataset of one VL Whole Slide Microscopy pyramid level, shared by the level generators:
file meta, identity, geometry of FRAMES square tiles ACROSS tiles wide, 8-bit samples."""
from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.uid import VLWholeSlideMicroscopyImageStorage, generate_uid


def level_dataset(syntax, organization, tile, across, frames):
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = VLWholeSlideMicroscopyImageStorage
    meta.MediaStorageSOPInstanceUID = generate_uid()
    meta.TransferSyntaxUID = syntax
    ds = Dataset()
    ds.file_meta = meta
    ds.is_little_endian, ds.is_implicit_VR = True, False
    ds.SOPClassUID, ds.SOPInstanceUID = meta.MediaStorageSOPClassUID, meta.MediaStorageSOPInstanceUID
    ds.StudyInstanceUID, ds.SeriesInstanceUID = generate_uid(), generate_uid()
    ds.ImageType = ["ORIGINAL", "PRIMARY", "VOLUME", "NONE"]
    ds.Modality = "SM"
    ds.DimensionOrganizationType = organization
    ds.TotalPixelMatrixColumns = across * tile
    ds.TotalPixelMatrixRows = ((frames + across - 1) // across) * tile
    ds.Rows = ds.Columns = tile
    ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelRepresentation = 8, 8, 7, 0
    ds.NumberOfFrames = frames
    return ds
